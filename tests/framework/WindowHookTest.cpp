#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WindowHook.h"

namespace {

LRESULT CALLBACK Answer42(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_APP ? 42 : DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Answer42;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WindowHookTest";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"WindowHookTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

// Hooks see a message in the order attached, before the window, which still answers it; the
// window's own procedure comes back when the last hook goes, whichever goes first.
TEST(WindowHook, HooksSeeMessagesInOrderAndGiveTheProcedureBack)
{
    HWND window = MakeWindow();
    ASSERT_TRUE(window);
    std::string seen;
    TWindowHook first, second;
    first.Attach(window, [&](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_APP)
            seen += "1:" + std::to_string(wParam) + " ";
    });
    second.Attach(window, [&](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_APP)
            seen += "2:" + std::to_string(wParam) + " ";
    });
    EXPECT_EQ(SendMessageW(window, WM_APP, 7, 0), 42);
    EXPECT_EQ(seen, "1:7 2:7 ");

    first.Detach();
    EXPECT_EQ(SendMessageW(window, WM_APP, 8, 0), 42);
    EXPECT_EQ(seen, "1:7 2:7 2:8 ");
    EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), LONG_PTR(&Answer42));

    second.Detach();
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), LONG_PTR(&Answer42));
    EXPECT_EQ(SendMessageW(window, WM_APP, 9, 0), 42);
    EXPECT_EQ(seen, "1:7 2:7 2:8 ");
    DestroyWindow(window);
}

// A hook that detaches another from inside its handler spares it the message; a window
// destroyed while hooked leaves the hooks empty, and a hook may go after its window.
TEST(WindowHook, DetachInHandlerAndDestroyedWindow)
{
    HWND window = MakeWindow();
    ASSERT_TRUE(window);
    int secondCalls = 0;
    TWindowHook first, second;
    first.Attach(window, [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_APP)
            second.Detach();
    });
    second.Attach(window, [&](UINT message, WPARAM, LPARAM) { secondCalls += message == WM_APP; });
    EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 42);
    EXPECT_EQ(secondCalls, 0);

    second.Attach(window, [](UINT, WPARAM, LPARAM) {});
    DestroyWindow(window);
    EXPECT_EQ(first.Window(), nullptr);
    EXPECT_EQ(second.Window(), nullptr);
    first.Detach();
}
