#include "ShellDesktop.h"

#include <stdexcept>

#include "Waiting.h"

namespace {

const int kMarkSize = 4;

} // namespace

ShellDesktop* ShellDesktop::Current = nullptr;

ShellDesktop::ShellDesktop(const std::wstring& name, const std::wstring& size)
    : markColour_(RGB(1, GetCurrentProcessId() & 0xFF, (GetCurrentProcessId() >> 8) & 0xFF)),
      markBrush_(CreateSolidBrush(markColour_))
{
    std::wstring command = L"explorer.exe /desktop=" + name + L"," + size;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        throw std::runtime_error("explorer.exe does not start");
    CloseHandle(process.hThread);
    explorer_.Reset(process.hProcess);
    if (!WaitUntil([&] { return (desktop_ = OpenDesktopW(name.c_str(), 0, FALSE, GENERIC_ALL)) != nullptr; }, 15000))
        throw std::runtime_error("the explorer's desktop does not appear");
    if (!SetThreadDesktop(desktop_))
        throw std::runtime_error("cannot enter the explorer's desktop");
    if (!WaitUntil([&] { return Taskbar() != nullptr; }, 15000))
        throw std::runtime_error("the explorer's taskbar does not appear");

    // A small mark of this process's own colour in the desktop's corner.
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = markBrush_.Get();
    windowClass.lpszClassName = L"SorielDesktopMark";
    RegisterClassExW(&windowClass);
    mark_.Reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass.lpszClassName, L"",
                                WS_POPUP | WS_VISIBLE, 0, 0, kMarkSize, kMarkSize, nullptr, nullptr,
                                windowClass.hInstance, nullptr));
    UpdateWindow(mark_.Get());
    Current = this;
}

ShellDesktop::~ShellDesktop()
{
    Current = nullptr;
    mark_.Reset();
    TerminateProcess(explorer_.Get(), 0);
    WaitForSingleObject(explorer_.Get(), 5000);
}

HWND ShellDesktop::Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

bool ShellDesktop::OnTop() const
{
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, kMarkSize / 2, kMarkSize / 2);
    ReleaseDC(nullptr, screen);
    return seen == markColour_;
}
