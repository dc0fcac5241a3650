#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives the next modal dialog or message box this thread opens, from a timer that ticks
// inside the dialog's own message loop. A dialog still open 10 s after it was driven is
// ended as a failure, so a broken dialog cannot hang the test.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND dialog)> drive);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool Driven() const { return driven_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::function<void(HWND)> drive_;
    UINT_PTR timer_ = 0;
    bool driven_ = false;
    HWND dialog_ = nullptr;
    DWORD drivenAt_ = 0;
};

// The control's position in its parent's client area.
RECT ClientRectOf(HWND control);
// The control identifiers in the dialog's tab order, from its first tab stop round once.
std::vector<int> TabOrder(HWND dialog);
std::wstring WindowText(HWND window);
