#pragma once
#include <windows.h>

#include <string>

#include "Win32Handle.h"

// A desktop of Wine's explorer, with a taskbar and a notification area, that the calling
// thread works in. The thread must not have made any window yet.
class ShellDesktop {
public:
    explicit ShellDesktop(const std::wstring& name, const std::wstring& size = L"1024x768");
    ~ShellDesktop();
    ShellDesktop(const ShellDesktop&) = delete;
    ShellDesktop& operator=(const ShellDesktop&) = delete;

    // The taskbar window (it takes its place once it has an icon to show).
    static HWND Taskbar();

    // Whether this desktop is what the display shows: other programs' desktops on the
    // same X display may cover it, and then its pixels cannot be read.
    bool OnTop() const;

    static ShellDesktop* Current;

private:
    KernelHandle explorer_;
    HDESK desktop_ = nullptr;
    COLORREF markColour_;
    BrushHandle markBrush_;
    WindowHandle mark_;
};
