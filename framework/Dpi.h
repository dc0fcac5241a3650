#pragma once
#include <windows.h>

#include "DpiScale.h"

// The DPI of screens and windows. Windows 10's per-window functions are looked up when first
// needed, so the program still starts on Windows 7 and 8, which answer with the system's DPI
// (8.1 with the monitor's).

// The DPI the system started the program with (that of the primary monitor at logon).
int SystemDpi();
// The DPI of the window's monitor, as the window is drawn for it.
int WindowDpi(HWND window);
// The DPI of the monitor that holds the point (the nearest monitor when none does).
int MonitorDpiAt(POINT point);
// The window rectangle, from (0, 0), of a client area of that size at the DPI.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// A system metric (SM_*) at the DPI.
int SystemMetricForDpi(int index, int dpi);
// The size of small icons (the notification area's) for the primary monitor's DPI, where the
// taskbar is.
int SmallIconSize();
