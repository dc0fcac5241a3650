#include "Cursors.h"

#include <map>
#include <utility>

#include "Dpi.h"
#include "Win32Handle.h"

namespace {

std::map<int, const wchar_t*>& ScreenCursors()
{
    static std::map<int, const wchar_t*> cursors;
    return cursors;
}

// Each cursor at each size it was asked for, kept for the program's life.
HCURSOR LoadedCursor(int id, const wchar_t* resourceName, int size)
{
    static std::map<std::pair<int, int>, IconHandle> loaded;
    IconHandle& cursor = loaded[{id, size}];
    if (!cursor)
        cursor.Reset(static_cast<HCURSOR>(
            LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_CURSOR, size, size, 0)));
    return cursor.Get();
}

} // namespace

void SetScreenCursor(int id, const wchar_t* resourceName) { ScreenCursors()[id] = resourceName; }

HCURSOR CursorFromId(int id, int dpi)
{
    if (id > 0) {
        auto found = ScreenCursors().find(id);
        if (found == ScreenCursors().end())
            return nullptr;
        return LoadedCursor(id, found->second, SystemMetricForDpi(SM_CXCURSOR, dpi));
    }
    const wchar_t* name = nullptr;
    switch (id) {
    case -2: name = IDC_ARROW; break;
    case -3: name = IDC_CROSS; break;
    case -4: name = IDC_IBEAM; break;
    case -6: name = IDC_SIZENESW; break;
    case -7: name = IDC_SIZENS; break;
    case -8: name = IDC_SIZENWSE; break;
    case -9: name = IDC_SIZEWE; break;
    case -10: name = IDC_UPARROW; break;
    case -11: name = IDC_WAIT; break;
    case -13:
    case -18: name = IDC_NO; break;
    case -19: name = IDC_APPSTARTING; break;
    case -20: name = IDC_HELP; break;
    case -21: name = IDC_HAND; break;
    case -22: name = IDC_SIZEALL; break;
    default: return nullptr;
    }
    return LoadCursorW(nullptr, name);
}
