#include "WindowHook.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

struct HookedWindow {
    WNDPROC original;
    std::vector<TWindowHook*> hooks;
};

std::map<HWND, HookedWindow>& HookedWindows()
{
    static std::map<HWND, HookedWindow> windows;
    return windows;
}

bool IsHooking(HWND window, const TWindowHook* hook)
{
    const auto found = HookedWindows().find(window);
    return found != HookedWindows().end() && std::ranges::count(found->second.hooks, hook);
}

} // namespace

void TWindowHook::Attach(HWND window, Handler handler)
{
    Detach();
    if (!window)
        return;
    auto& windows = HookedWindows();
    auto found = windows.find(window);
    if (found == windows.end()) {
        const auto original =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(&TWindowHook::WindowProc)));
        if (!original)
            return;
        found = windows.emplace(window, HookedWindow{original, {}}).first;
    }
    found->second.hooks.push_back(this);
    window_ = window;
    handler_ = std::move(handler);
}

void TWindowHook::Detach()
{
    const HWND window = std::exchange(window_, nullptr);
    auto& windows = HookedWindows();
    const auto found = windows.find(window);
    if (found == windows.end())
        return;
    std::erase(found->second.hooks, this);
    // Given back only while it is still ours: a procedure set over it later would be cut off.
    if (found->second.hooks.empty() &&
        GetWindowLongPtrW(window, GWLP_WNDPROC) == LONG_PTR(&TWindowHook::WindowProc)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(found->second.original));
        windows.erase(found);
    }
}

LRESULT CALLBACK TWindowHook::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& windows = HookedWindows();
    const auto found = windows.find(window);
    if (found == windows.end())
        return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC original = found->second.original;
    if (message == WM_NCDESTROY) {
        for (TWindowHook* hook : found->second.hooks)
            hook->window_ = nullptr;
        windows.erase(found);
        SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(original));
    } else {
        // A handler may detach hooks, its own or others: each is asked whether it still watches.
        const std::vector<TWindowHook*> hooks = found->second.hooks;
        for (TWindowHook* hook : hooks)
            if (IsHooking(window, hook))
                hook->handler_(message, wParam, lParam);
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}
