#include "UpdateDialogs.h"


#include <algorithm>
#include <vector>

#include "Application.h"
#include "Dpi.h"
#include "Shell.h"
#include "Text.h"

namespace {

// At 96 dpi; the dialog is laid out at its monitor's DPI.
constexpr int kDialogSize = 400;
constexpr int kMargin = 10;
constexpr int kBelowText = 60;
constexpr int kRadioGap = 20;
constexpr int kRadioTextGap = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kRadioHeight = 17;

struct TextDialog {
    std::string Caption;
    std::string Text;
    std::string Ok;
    std::string Cancel;    // what's-new only
    std::string Accept;    // agreement only
    std::string NotAccept; // agreement only
    bool Agreement = false;
};

// A dialog template without items: the controls are placed in pixels when it opens.
std::vector<WORD> EmptyDialogTemplate()
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    words.insert(words.end(), {0, 0, 0}); // no menu, the dialog class, an empty title
    words.push_back(8);                   // font size in points
    for (const wchar_t* face = L"MS Shell Dlg"; *face; ++face)
        words.push_back(WORD(*face));
    words.push_back(0);
    return words;
}

HWND AddControl(HWND dialog, const wchar_t* windowClass, const std::string& text, DWORD style, int id, RECT box,
                DWORD exStyle = 0)
{
    HWND control = CreateWindowExW(exStyle, windowClass, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, box.left,
                                   box.top, box.right - box.left, box.bottom - box.top, dialog,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return control;
}

// A radio button just wide enough for its check mark and caption.
int RadioWidth(HWND dialog, const std::string& caption, int dpi)
{
    std::wstring text = Widen(caption);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return extent.cx + SystemMetricForDpi(SM_CXMENUCHECK, dpi) + ScaleToDpi(kRadioTextGap, dpi);
}

RECT Box(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Creation order is tab order: the buttons first, the text box last.
void BuildTextDialog(HWND dialog, const TextDialog& layout)
{
    SetWindowTextW(dialog, Widen(layout.Caption).c_str());
    const int dpi = WindowDpi(dialog);
    auto scaled = [dpi](int designValue) { return ScaleToDpi(designValue, dpi); };
    // Centred on its screen, and kept inside the screen's work area: its caption and buttons
    // stay in reach however large the scale.
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const RECT& work = monitor.rcWork;
    const int width = std::min<int>(scaled(kDialogSize), work.right - work.left);
    const int height = std::min<int>(scaled(kDialogSize), work.bottom - work.top);
    const int left = std::clamp<int>(screen.left + (screen.right - screen.left - width) / 2, work.left, work.right - width);
    const int top = std::clamp<int>(screen.top + (screen.bottom - screen.top - height) / 2, work.top, work.bottom - height);
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(dialog, &client);
    const int margin = scaled(kMargin);
    const int buttonWidth = scaled(kButtonWidth);
    const int buttonHeight = scaled(kButtonHeight);
    RECT text = Box(margin, margin, client.right - 2 * margin, client.bottom - scaled(kBelowText));
    int buttonTop = text.bottom + margin;
    DWORD button = WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
    HWND ok;
    if (layout.Agreement) {
        ok = AddControl(dialog, L"BUTTON", layout.Ok, button, IDOK,
                        Box(text.right - buttonWidth, buttonTop, buttonWidth, buttonHeight));
        int acceptWidth = RadioWidth(dialog, layout.Accept, dpi);
        AddControl(dialog, L"BUTTON", layout.Accept, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, idAccept,
                   Box(margin, buttonTop, acceptWidth, scaled(kRadioHeight)));
        AddControl(dialog, L"BUTTON", layout.NotAccept, WS_TABSTOP | BS_AUTORADIOBUTTON, idNotAccept,
                   Box(acceptWidth + scaled(kRadioGap), buttonTop, RadioWidth(dialog, layout.NotAccept, dpi),
                       scaled(kRadioHeight)));
    } else {
        ok = AddControl(dialog, L"BUTTON", layout.Ok, button, IDOK,
                        Box(text.right - 2 * buttonWidth - margin, buttonTop, buttonWidth, buttonHeight));
        AddControl(dialog, L"BUTTON", layout.Cancel, button, IDCANCEL,
                   Box(text.right - buttonWidth, buttonTop, buttonWidth, buttonHeight));
    }
    HWND box = AddControl(dialog, L"EDIT", "",
                          WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                          idTextBox, text, WS_EX_CLIENTEDGE);
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(box, Widen(layout.Text).c_str());
    SetFocus(ok);
}

INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        BuildTextDialog(dialog, *reinterpret_cast<const TextDialog*>(lParam));
        return FALSE; // the focus is set
    case WM_CTLCOLORSTATIC:
        // The read-only text keeps the colours of a page, not of the dialog.
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == idTextBox) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        }
        return FALSE;
    case WM_COMMAND: {
        int command = LOWORD(wParam);
        if (command != IDOK && command != IDCANCEL) // IDCANCEL also stands for the close box and Escape
            return FALSE;
        const auto& layout = *reinterpret_cast<const TextDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        bool accepted = layout.Agreement ? IsDlgButtonChecked(dialog, idAccept) == BST_CHECKED : command == IDOK;
        EndDialog(dialog, accepted ? 1 : 0);
        return TRUE;
    }
    }
    return FALSE;
}

// The message boxes carry the application's title.
std::wstring BoxTitle()
{
    return Widen(Application && !Application->Title().empty() ? Application->Title() : "Update");
}

// A dialog that could not be shown accepts nothing.
bool ShowTextDialog(HWND owner, const TextDialog& layout)
{
    std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()),
                                   owner, TextDialogProc, reinterpret_cast<LPARAM>(&layout)) == 1;
}

} // namespace

HWND DialogOwner() { return Application ? Application->Handle() : nullptr; }

bool ShowWhatsNewDialog(HWND owner, const WhatsNewCaptions& captions, const std::string& text)
{
    return ShowTextDialog(owner,
                          {.Caption = captions.Caption, .Text = text, .Ok = captions.Ok, .Cancel = captions.Cancel});
}

bool ShowAgreementDialog(HWND owner, const AgreementCaptions& captions, const std::string& text)
{
    return ShowTextDialog(owner, {.Caption = captions.Caption,
                                  .Text = text,
                                  .Ok = captions.Ok,
                                  .Accept = captions.Accept,
                                  .NotAccept = captions.NotAccept,
                                  .Agreement = true});
}

void ShowInformation(HWND owner, const std::string& text)
{
    MessageBoxW(owner, Widen(text).c_str(), BoxTitle().c_str(), MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(HWND owner, const std::string& question)
{
    return MessageBoxW(owner, Widen(question).c_str(), BoxTitle().c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void ShowAddressDialog(HWND owner, const std::string& address)
{
    std::string text =
        "This update comes with a page to read:\r\n\r\n" + address + "\r\n\r\nOpen it in your web browser?";
    if (MessageBoxW(owner, Widen(text).c_str(), BoxTitle().c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        OpenAddress(address);
}

void OpenAddress(const std::string& address)
{
    ShellExecuteUtf8(nullptr, L"open", address, SW_SHOWNORMAL);
}
