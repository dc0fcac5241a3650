// Keeps Wine's default desktop open for a whole test run. Wine closes a desktop a moment
// after its last window goes, and a test program that starts just then can make no window;
// with this hidden window on it, the desktop's explorer starts once and stays.
// Prints "ready" once its window is made; exits with 1 at once when none can be made.
#include <windows.h>

#include <cstdio>

int main()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
