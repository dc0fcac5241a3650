#include "ShellDesktop.h"

#include <stdexcept>

namespace {

template <typename Condition>
bool Poll(Condition condition, int timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + ULONGLONG(timeoutMs);
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

} // namespace

ShellDesktop::ShellDesktop(const std::wstring& name)
{
    std::wstring command = L"explorer.exe /desktop=" + name + L",1024x768";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        throw std::runtime_error("explorer.exe does not start");
    CloseHandle(process.hThread);
    explorer_.Reset(process.hProcess);
    if (!Poll([&] { return (desktop_ = OpenDesktopW(name.c_str(), 0, FALSE, GENERIC_ALL)) != nullptr; }, 15000))
        throw std::runtime_error("the explorer's desktop does not appear");
    if (!SetThreadDesktop(desktop_))
        throw std::runtime_error("cannot enter the explorer's desktop");
    if (!Poll([&] { return Taskbar() != nullptr; }, 15000))
        throw std::runtime_error("the explorer's taskbar does not appear");
}

ShellDesktop::~ShellDesktop()
{
    TerminateProcess(explorer_.Get(), 0);
    WaitForSingleObject(explorer_.Get(), 5000);
}

HWND ShellDesktop::Taskbar() const { return FindWindowW(L"Shell_TrayWnd", nullptr); }
