#pragma once
#include <windows.h>

#include <vector>

#include "Win32Handle.h"

class TTrayIcon;

// The hidden window the shell sends the callbacks of every tray icon of the process to.
// Each icon gets a number of its own, which the shell hands back as the callback's wParam.
class TTrayIconHandler {
public:
    TTrayIconHandler();
    TTrayIconHandler(const TTrayIconHandler&) = delete;
    TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;

    HWND Window() const { return window_.Get(); }
    unsigned RefCount = 0;

    UINT Register(TTrayIcon* icon);
    void Unregister(UINT id);
    TTrayIcon* Find(UINT id) const;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void FitEveryIconToTray();

    struct Entry {
        UINT id;
        TTrayIcon* icon;
    };
    std::vector<Entry> icons_;
    UINT nextId_ = 1;
    WindowHandle window_;
};

// Sent to every top-level window when the shell's taskbar has been made anew.
UINT TaskbarCreatedMessage();

// The shared tray window: made on first use, freed after its last user.
TTrayIconHandler* TrayHandler();
TTrayIconHandler& AcquireTrayHandler();
void ReleaseTrayHandler();
