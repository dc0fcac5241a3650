#include "UtilityWindow.h"

#include "Exception.h"
#include "Text.h"

namespace {

struct CreateData {
    WNDPROC windowProc;
    void* data;
};

// Stores the data, then hands the window to its real procedure.
LRESULT CALLBACK StartupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = static_cast<CreateData*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->data));
        SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(create->windowProc));
        return create->windowProc(window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

WindowHandle CreateUtilityWindow(const wchar_t* className, WNDPROC windowProc, void* data)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (!GetClassInfoExW(instance, className, &windowClass)) {
        windowClass = {sizeof(windowClass)};
        windowClass.lpfnWndProc = &StartupProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
    }
    CreateData create{windowProc, data};
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, &create);
    if (!window)
        throw Exception("Nelze vytvořit okno: " + SystemErrorMessage(GetLastError()));
    return WindowHandle(window);
}
