#pragma once
#include <windows.h>

#include <string>

#include "Win32Handle.h"

// Starts a command line, shown normally, in the current folder. The process, or empty when
// it could not start (the thread's last error says why).
KernelHandle StartCommand(const std::wstring& commandLine, bool inheritHandles = false, DWORD creationFlags = 0);

// Starts a command line and waits for its end without a time limit. True only when it ran
// and returned 0; a non-zero exit code becomes the thread's last error as 8192 + the code.
bool RunCommandAndWait(const std::wstring& commandLine);
