#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "SlidePopupForm.h"
#include "Waiting.h"

inline std::vector<TfrmSlidePopup*> PopupWindows(const TComponent& owner)
{
    std::vector<TfrmSlidePopup*> windows;
    for (TComponent* component : owner.Components())
        if (auto* window = dynamic_cast<TfrmSlidePopup*>(component))
            windows.push_back(window);
    return windows;
}

inline RECT ScreenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Mouse input as the system sends it to the window under the pointer.
inline void SendClick(TControl& control, UINT down, UINT up)
{
    HWND window = control.Parent()->Handle();
    const LPARAM at = MAKELPARAM(control.Left() + control.Width() / 2, control.Top() + control.Height() / 2);
    SendMessageW(window, down, 0, at);
    SendMessageW(window, up, 0, at);
}

inline void LeftClick(TControl& control) { SendClick(control, WM_LBUTTONDOWN, WM_LBUTTONUP); }
inline void RightClick(TControl& control) { SendClick(control, WM_RBUTTONDOWN, WM_RBUTTONUP); }

inline void MouseMoveTo(TWinControl& window, int x, int y)
{
    SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

// What a window shows, read back from its own surface (other windows on the display
// cannot get in the way).
class WindowPicture {
public:
    explicit WindowPicture(HWND window)
    {
        RECT rect = ScreenRect(window);
        width_ = rect.right - rect.left;
        height_ = rect.bottom - rect.top;
        origin_ = {rect.left, rect.top};
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<const uint32_t*>(bits);
        HDC source = GetWindowDC(window);
        HDC memory = CreateCompatibleDC(source);
        HGDIOBJ old = SelectObject(memory, bitmap_);
        BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(window, source);
    }
    ~WindowPicture() { DeleteObject(bitmap_); }
    WindowPicture(const WindowPicture&) = delete;
    WindowPicture& operator=(const WindowPicture&) = delete;

    // The colour (0x00BBGGRR) at a point given in screen coordinates.
    COLORREF At(POINT screen) const
    {
        const uint32_t pixel = pixels_[(screen.y - origin_.y) * width_ + (screen.x - origin_.x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

private:
    HBITMAP bitmap_ = nullptr;
    const uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    POINT origin_{};
};

// A point of a windowless control, in screen coordinates.
inline POINT OnScreen(TControl& control, int x, int y)
{
    POINT point{control.Left() + x, control.Top() + y};
    ClientToScreen(control.Parent()->Handle(), &point);
    return point;
}
