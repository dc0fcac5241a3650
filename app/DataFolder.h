#pragma once
#include <string>

// Where main.ini, news.rtf and the archives of old news live. Beside the program while its
// folder can be written (a per-user install); otherwise (a copy in Program Files) in
// %APPDATA%\Soriel online\, where the files found beside the program are copied the first
// time, so nothing is lost.

// Whether the program can write its files, and so replace itself, in its own folder.
bool IsProgramFolderWritable();

// The folder of main.ini and news.rtf, ending in a path separator; made when missing.
std::wstring DataFolder();
