#include "Dpi.h"

#include "SystemLibrary.h"
#include "Win32Handle.h"

namespace {

// user32 is loaded in every windowed program: its functions are only looked up.
template <typename Function>
Function* User32Function(const char* name)
{
    return reinterpret_cast<Function*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name));
}

using GetDpiForWindowFn = UINT WINAPI(HWND);
using GetDpiForSystemFn = UINT WINAPI();
using AdjustWindowRectExForDpiFn = BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);
// shcore.dll, Windows 8.1 and later: MDT_EFFECTIVE_DPI is 0.
using GetDpiForMonitorFn = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn* MonitorDpiFunction()
{
    static const ModuleHandle shcore = LoadSystemLibrary(L"shcore.dll");
    static GetDpiForMonitorFn* const function =
        shcore ? LibraryFunction<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor") : nullptr;
    return function;
}

int MonitorDpi(HMONITOR monitor)
{
    UINT x = 0, y = 0;
    if (GetDpiForMonitorFn* function = MonitorDpiFunction(); function && SUCCEEDED(function(monitor, 0, &x, &y)))
        return int(y);
    return SystemDpi();
}

} // namespace

int SystemDpi()
{
    static GetDpiForSystemFn* const function = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (function)
        return int(function());
    const ScreenDc screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window)
{
    static GetDpiForWindowFn* const function = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (function) {
        if (const UINT dpi = function(window))
            return int(dpi);
    }
    return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int MonitorDpiAt(POINT point) { return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi)
{
    static AdjustWindowRectExForDpiFn* const function =
        User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, clientWidth, clientHeight};
    if (function)
        function(&frame, style, FALSE, exStyle, UINT(dpi));
    else
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    OffsetRect(&frame, -frame.left, -frame.top);
    return frame;
}

int SystemMetricForDpi(int index, int dpi)
{
    static GetSystemMetricsForDpiFn* const function = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return function ? function(index, UINT(dpi)) : GetSystemMetrics(index);
}

int SmallIconSize() { return SystemMetricForDpi(SM_CXSMICON, MonitorDpiAt({0, 0})); }
