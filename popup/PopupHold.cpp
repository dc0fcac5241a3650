#include "PopupHold.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

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

// Focus Assist has no documented call, and the shell's notification state does not follow
// it. Its profile is kept in the undocumented notification state
// WNF_SHEL_QUIETHOURS_ACTIVE_PROFILE_CHANGED, read with ntdll's undocumented
// NtQueryWnfStateData, looked up at run time: Windows before Focus Assist, and Wine, lack it
// or fail it, and then nothing is held for it.
bool ReadFocusAssistOn()
{
    using QueryWnfStateData = LONG(NTAPI*)(const ULONGLONG* stateName, const GUID* typeId, const void* scope,
                                           ULONG* changeStamp, void* buffer, ULONG* bufferSize);
    static const auto query =
        reinterpret_cast<QueryWnfStateData>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryWnfStateData"));
    if (!query)
        return FocusAssistIsOn(kStatusEntryPointNotFound, {});
    const ULONGLONG activeProfileChanged = 0x0D83063EA3BF1C75;
    std::byte profile[8] = {};
    ULONG size = sizeof profile;
    ULONG changeStamp = 0;
    const LONG status = query(&activeProfileChanged, nullptr, nullptr, &changeStamp, profile, &size);
    return FocusAssistIsOn(status, std::span(profile, std::min<size_t>(size, sizeof profile)));
}

} // namespace

PopupHoldFacts ReadPopupHoldFacts()
{
    PopupHoldFacts facts;
    QUERY_USER_NOTIFICATION_STATE state{};
    if (SHQueryUserNotificationState(&state) == S_OK)
        facts.shellState = int(state);
    facts.focusAssistOn = ReadFocusAssistOn();

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
