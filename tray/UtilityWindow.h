#pragma once
#include <windows.h>

#include "Win32Handle.h"

// A hidden top-level popup window that is never shown: it gets its own messages and the
// ones broadcast to top-level windows. The data pointer goes to GWLP_USERDATA before the
// first message is handled.
WindowHandle CreateUtilityWindow(const wchar_t* className, WNDPROC windowProc, void* data);
