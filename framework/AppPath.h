#pragma once
#include <string>

// The folder of the running program file, ending in a path separator. Every file of the
// program is looked up there, never in the current folder.
std::wstring GetAppPath();
