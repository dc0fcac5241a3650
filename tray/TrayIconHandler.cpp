#include "TrayIconHandler.h"

#include <algorithm>

#include "Application.h"
#include "Menus.h"
#include "TrayIcon.h"
#include "SharedHandler.h"
#include "UtilityWindow.h"

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TTrayIconHandler* TrayHandler() { return SharedHandler<TTrayIconHandler>::Get(); }
TTrayIconHandler& AcquireTrayHandler() { return SharedHandler<TTrayIconHandler>::Acquire(); }
void ReleaseTrayHandler() { SharedHandler<TTrayIconHandler>::Release(); }

TTrayIconHandler::TTrayIconHandler()
    : window_(CreateUtilityWindow(L"SorielTrayIcon", &TTrayIconHandler::WndProc, this))
{
}

UINT TTrayIconHandler::Register(TTrayIcon* icon)
{
    icons_.push_back({nextId_, icon});
    return nextId_++;
}

void TTrayIconHandler::Unregister(UINT id)
{
    std::erase_if(icons_, [id](const Entry& entry) { return entry.id == id; });
}

TTrayIcon* TTrayIconHandler::Find(UINT id) const
{
    auto found = std::find_if(icons_.begin(), icons_.end(), [id](const Entry& entry) { return entry.id == id; });
    return found == icons_.end() ? nullptr : found->icon;
}

LRESULT CALLBACK TTrayIconHandler::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* handler = reinterpret_cast<TTrayIconHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!handler)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return handler->HandleMessage(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        if (Application)
            Application->ShowException(error);
        return 0;
    }
}

void TTrayIconHandler::FitEveryIconToTray()
{
    for (const Entry& entry : std::vector<Entry>(icons_))
        entry.icon->FitIconsToTray();
}

LRESULT TTrayIconHandler::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TaskbarCreatedMessage()) {
        // The taskbar may come back at another DPI.
        FitEveryIconToTray();
        return 0;
    }
    switch (message) {
    case TrayCallbackMessage:
        // A callback of an icon that is gone (still queued, or another program's) finds none.
        if (TTrayIcon* icon = Find(UINT(wParam)))
            icon->HandleTrayMessage(UINT(lParam));
        return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        // A hidden window is told of no DPI change: the icons follow the settings instead.
        FitEveryIconToTray();
        break;
    case WM_COMMAND:
        // The tray menu of an icon whose owner has no window sends its commands here.
        if (lParam == 0 && HIWORD(wParam) == 0 && TMenuItem::DispatchCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
    case WM_NCDESTROY:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        return 1;
    case WM_USERCHANGED:
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
