#include <gtest/gtest.h>

#include <vector>

#include "DialogDriver.h"
#include "UpdateDialogs.h"

namespace {

const char* const kText = "Žluťoučký kůň\r\núpěl ďábelské ódy.";

// What a person does to the open dialog.
struct Step {
    int control; // 0: the dialog itself
    UINT message;
    WPARAM wParam = 0;
};
const Step kClickOk{IDOK, BM_CLICK};
const Step kClickCancel{IDCANCEL, BM_CLICK};
const Step kClickAccept{idAccept, BM_CLICK};
const Step kClickNotAccept{idNotAccept, BM_CLICK};
const Step kCloseBox{0, WM_SYSCOMMAND, SC_CLOSE};
const Step kEscape{IDOK, WM_KEYDOWN, VK_ESCAPE};

struct Case {
    const char* name;
    std::vector<Step> steps;
    bool accepted;
};

void Perform(HWND dialog, const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        HWND target = step.control ? GetDlgItem(dialog, step.control) : dialog;
        ASSERT_NE(target, nullptr);
        if (step.message == BM_CLICK)
            SendMessageW(target, step.message, step.wParam, 0);
        else
            PostMessageW(target, step.message, step.wParam, 0);
    }
}

// The frame both dialogs share: 400 × 400, centred, dialog border, system menu only, and the
// read-only scrolling text box at 10,10 sized from the client area. Returns the box.
RECT ExpectTextDialogFrame(HWND dialog, const wchar_t* caption)
{
    RECT frame{};
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.right - frame.left, 400);
    EXPECT_EQ(frame.bottom - frame.top, 400);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 400) / 2);
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(WindowText(dialog), caption);

    RECT client{};
    GetClientRect(dialog, &client);
    HWND box = GetDlgItem(dialog, idTextBox);
    RECT text = ClientRectOf(box);
    EXPECT_EQ(text.left, 10);
    EXPECT_EQ(text.top, 10);
    EXPECT_EQ(text.right - text.left, client.right - 20);
    EXPECT_EQ(text.bottom - text.top, client.bottom - 60);
    LONG boxStyle = GetWindowLongW(box, GWL_STYLE);
    EXPECT_EQ(boxStyle & (ES_READONLY | ES_MULTILINE | WS_VSCROLL), ES_READONLY | ES_MULTILINE | WS_VSCROLL);
    EXPECT_EQ(WindowText(box), L"Žluťoučký kůň\r\núpěl ďábelské ódy.");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    return text;
}

} // namespace

TEST(UpdateDialogs, WhatsNewLayoutAndAnswers)
{
    const Case cases[] = {
        {"OK", {kClickOk}, true},
        {"Cancel", {kClickCancel}, false},
        {"close box", {kCloseBox}, false},
        {"Escape", {kEscape}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogDriver driver({[&](HWND dialog) {
            RECT text = ExpectTextDialogFrame(dialog, L"Co je nového");
            RECT ok = ClientRectOf(GetDlgItem(dialog, IDOK));
            RECT cancel = ClientRectOf(GetDlgItem(dialog, IDCANCEL));
            int width = ok.right - ok.left;
            EXPECT_EQ(ok.top, text.bottom + 10);
            EXPECT_EQ(ok.left, text.right - 2 * width - 10);
            EXPECT_EQ(cancel.top, text.bottom + 10);
            EXPECT_EQ(cancel.left, text.right - (cancel.right - cancel.left));
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"Beru");
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), L"Zpět");
            EXPECT_EQ(TabOrder(dialog), (std::vector<int>{IDOK, IDCANCEL, idTextBox}));
            Perform(dialog, c.steps);
        }});
        EXPECT_EQ(ShowWhatsNewDialog(nullptr, {.Caption = "Co je nového", .Ok = "Beru", .Cancel = "Zpět"}, kText),
                  c.accepted);
        EXPECT_EQ(driver.Driven(), 1u);
    }
}

TEST(UpdateDialogs, AgreementCountsOnlyWithIAcceptSelected)
{
    const Case cases[] = {
        {"OK without a choice", {kClickOk}, false},
        {"I accept, OK", {kClickAccept, kClickOk}, true},
        {"I do not accept, OK", {kClickNotAccept, kClickOk}, false},
        {"I accept, then I do not accept, OK", {kClickAccept, kClickNotAccept, kClickOk}, false},
        {"I accept, close box", {kClickAccept, kCloseBox}, true},
        {"I accept, Escape", {kClickAccept, kEscape}, true},
        {"close box without a choice", {kCloseBox}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogDriver driver({[&](HWND dialog) {
            RECT text = ExpectTextDialogFrame(dialog, L"");
            RECT ok = ClientRectOf(GetDlgItem(dialog, IDOK));
            RECT accept = ClientRectOf(GetDlgItem(dialog, idAccept));
            RECT notAccept = ClientRectOf(GetDlgItem(dialog, idNotAccept));
            EXPECT_EQ(ok.top, text.bottom + 10);
            EXPECT_EQ(ok.right, text.right);
            EXPECT_EQ(accept.left, 10);
            EXPECT_EQ(accept.top, text.bottom + 10);
            EXPECT_EQ(notAccept.left, (accept.right - accept.left) + 20);
            EXPECT_EQ(notAccept.top, text.bottom + 10);
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"Ok");
            EXPECT_EQ(WindowText(GetDlgItem(dialog, idAccept)), L"I accept");
            EXPECT_EQ(WindowText(GetDlgItem(dialog, idNotAccept)), L"I do not accept");
            EXPECT_EQ(IsDlgButtonChecked(dialog, idAccept), BST_UNCHECKED);
            EXPECT_EQ(IsDlgButtonChecked(dialog, idNotAccept), BST_UNCHECKED);
            EXPECT_EQ(TabOrder(dialog), (std::vector<int>{IDOK, idAccept, idNotAccept, idTextBox}));
            Perform(dialog, c.steps);
        }});
        EXPECT_EQ(ShowAgreementDialog(nullptr, {}, kText), c.accepted);
        EXPECT_EQ(driver.Driven(), 1u);
    }
}
