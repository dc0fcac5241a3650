#include "PopupHold.h"

#include <windows.h>
#include <shellapi.h>

namespace {

HoldRect ToHoldRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// The desktop covers its monitor, and the shell's desktop window is in front whenever the
// person has clicked on it.
bool IsDesktop(HWND window)
{
    if (window == GetDesktopWindow() || window == GetShellWindow())
        return true;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"WorkerW") == 0 || lstrcmpW(className, L"Progman") == 0;
}

} // namespace

PopupHoldFacts ReadPopupHoldFacts()
{
    PopupHoldFacts facts;
    QUERY_USER_NOTIFICATION_STATE state{};
    if (SHQueryUserNotificationState(&state) == S_OK)
        facts.shellState = int(state);

    HWND front = GetForegroundWindow();
    if (!front || IsDesktop(front) || !IsWindowVisible(front) || IsIconic(front))
        return facts;
    RECT window{};
    MONITORINFO monitor{sizeof monitor};
    if (!GetWindowRect(front, &window) || !GetMonitorInfoW(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST), &monitor))
        return facts;
    facts.noForegroundWindow = false;
    facts.foregroundMaximizedWithCaption =
        IsZoomed(front) && (GetWindowLongW(front, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
    facts.foreground = ToHoldRect(window);
    facts.monitor = ToHoldRect(monitor.rcMonitor);
    return facts;
}
