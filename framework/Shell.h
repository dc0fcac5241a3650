#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// ShellExecuteW on a target given in UTF-8, from the window thread. The shell's handlers
// expect COM there: the thread enters a single-threaded apartment at the first call and
// stays in it until the program ends. Entering it only now keeps its cost (most of a
// start-up under Wine) out of start-up. The result is ShellExecuteW's.
intptr_t ShellExecuteUtf8(HWND owner, const wchar_t* verb, const std::string& target, int show);
