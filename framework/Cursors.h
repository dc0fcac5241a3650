#pragma once
#include <windows.h>

// Cursor identifiers as components store them: 0 the control's default, negative the
// system's standard cursors (-2 arrow … -21 hand point), positive the program's own
// cursors entered in the screen's table.
HCURSOR CursorFromId(int id);

// Enters a cursor of the program's own under a positive number.
void SetScreenCursor(int id, HCURSOR cursor);
