#include "Cursors.h"

#include <map>

namespace {
std::map<int, HCURSOR>& ScreenCursors()
{
    static std::map<int, HCURSOR> cursors;
    return cursors;
}
} // namespace

void SetScreenCursor(int id, HCURSOR cursor) { ScreenCursors()[id] = cursor; }

HCURSOR CursorFromId(int id)
{
    if (id > 0) {
        auto found = ScreenCursors().find(id);
        return found == ScreenCursors().end() ? nullptr : found->second;
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
