#pragma once
#include <string>
#include <string_view>

// Names of files inside an archive are the archive maker's text: these rules keep them
// inside the folder they are extracted to.

// The name with every "/" turned into the platform's "\".
std::wstring WithBackslashes(std::wstring_view name);

// True for a relative name without a drive, empty segments, or segments of dots only.
bool StaysInsideFolder(std::wstring_view name);

// The folder part of a name, without the separator after it; empty when there is none.
std::wstring_view FolderPartOf(std::wstring_view name);
