#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

DialogDriver* current = nullptr;

HWND OpenDialogOfThisThread()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            wchar_t name[16]{};
            GetClassNameW(window, name, 16);
            if (IsWindowVisible(window) && std::wstring(name) == L"#32770") {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

DialogDriver::DialogDriver(std::vector<Step> steps) : steps_(std::move(steps))
{
    current = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogDriver::~DialogDriver()
{
    KillTimer(nullptr, timer_);
    current = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver* self = current;
    if (!self)
        return;
    if (IsWindow(self->dialog_)) {
        if (GetTickCount() - self->drivenAt_ > 10000) {
            ADD_FAILURE() << "a dialog stayed open";
            EndDialog(self->dialog_, 0);
        }
        return;
    }
    HWND dialog = OpenDialogOfThisThread();
    if (!dialog || self->driven_ == self->steps_.size())
        return;
    self->dialog_ = dialog;
    self->drivenAt_ = GetTickCount();
    self->steps_[self->driven_++](dialog);
}

RECT ClientRectOf(HWND control)
{
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

std::vector<int> TabOrder(HWND dialog)
{
    std::vector<int> ids;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND item = first; item && ids.size() < 10;) {
        ids.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(dialog, item, FALSE);
        if (item == first)
            break;
    }
    return ids;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    // The message box's text is the static control with this identifier.
    return WindowText(GetDlgItem(box, 0xFFFF));
}

void Click(HWND dialog, int control)
{
    HWND button = GetDlgItem(dialog, control);
    EXPECT_NE(button, nullptr) << "control " << control;
    SendMessageW(button, BM_CLICK, 0, 0);
}
