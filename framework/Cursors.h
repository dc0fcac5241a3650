#pragma once
#include <windows.h>

// Cursor identifiers as components store them: 0 the control's default, negative the
// system's standard cursors (-2 arrow … -21 hand point).
HCURSOR CursorFromId(int id);
