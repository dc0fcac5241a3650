#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives the modal dialogs and message boxes this thread opens, one step per dialog in the
// order they open, from a timer that ticks inside the dialog's own message loop. A dialog
// still open 10 s after it was driven is ended as a failure, so a broken dialog cannot hang
// the test.
class DialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;
    explicit DialogDriver(std::vector<Step> steps);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    size_t Driven() const { return driven_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> steps_;
    UINT_PTR timer_ = 0;
    size_t driven_ = 0;
    HWND dialog_ = nullptr;
    DWORD drivenAt_ = 0;
};

// The control's position in its parent's client area.
RECT ClientRectOf(HWND control);
// The control identifiers in the dialog's tab order, from its first tab stop round once.
std::vector<int> TabOrder(HWND dialog);
std::wstring WindowText(HWND window);
// A message box's text.
std::wstring MessageBoxText(HWND box);
void Click(HWND dialog, int control);
