#pragma once
#include <string_view>

// The updater's whole work for its command line (see UpdaterCommandLine.h): waits for the
// program to end, puts the component files in place, starts the application again and
// undoes the replacements when the new program fails at once.
void RunUpdater(std::wstring_view commandLine);
