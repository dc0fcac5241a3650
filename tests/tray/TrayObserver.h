#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Win32Handle.h"

// What the shell's notification area shows, seen from outside the way a person would:
// its entries, the pixels of its icons and the text of its tips.

// Whether the shell holds an entry for that window and identifier (an empty change).
bool ShellHasIcon(HWND window, UINT id);

// The tip windows of the notification area (one is made for every entry added).
std::vector<HWND> ShellTooltips();
// The text of a tip window of the shell's process.
std::wstring TooltipText(HWND tooltip);

// How many pixels of exactly this colour the taskbar shows, and where their middle is.
int TaskbarPixelCount(COLORREF colour);
std::optional<POINT> TaskbarPixelCentre(COLORREF colour);

// A 16 by 16 icon of one opaque colour, and the colour of an icon's pixel (the middle one).
IconHandle SolidIcon(COLORREF colour);
std::optional<COLORREF> IconColour(HICON icon, int x = 8, int y = 8);
