#pragma once
#include <windows.h>

// A pixel of the window's client area as the screen shows it.
inline COLORREF ClientPixel(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return seen;
}
