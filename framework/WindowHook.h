#pragma once
#include <windows.h>

#include <functional>

// Sees the messages of a window made elsewhere before the window's own procedure does, by
// taking over its procedure. Several hooks may watch one window, each in the order attached;
// the window gets its procedure back when the last hook goes, or as it is destroyed.
// User-interface thread only.
class TWindowHook {
public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    TWindowHook() = default;
    ~TWindowHook() { Detach(); }
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;

    void Attach(HWND window, Handler handler);
    void Detach();
    // The window watched; null before Attach, after Detach and once the window is destroyed.
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Handler handler_;
};
