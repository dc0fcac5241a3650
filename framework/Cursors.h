#pragma once
#include <windows.h>

#include "DpiScale.h"

// Cursor identifiers as components store them: 0 the control's default, negative the
// system's standard cursors (-2 arrow … -21 hand point), positive the program's own
// cursors entered in the screen's table.
// The program's own come at the cursor size of the DPI, picked from the sizes the resource
// is drawn at.
HCURSOR CursorFromId(int id, int dpi = kDesignDpi);

// Enters a cursor resource of the program's own under a positive number.
void SetScreenCursor(int id, const wchar_t* resourceName);
