#include "LinkLabels.h"

#include <oleacc.h>

#include "Application.h"
#include "Cursors.h"
#include "LinkAddress.h"
#include "Shell.h"
#include "Text.h"

void RegisterHandCursors()
{
    static const bool registered = [] {
        const std::pair<int, const wchar_t*> cursors[] = {
            {crHandPoint, L"CUR_HANDPOINT"}, {crSmallHandPoint, L"CUR_SMALLHANDPOINT"},
            {crGrabHand, L"CUR_GRABHAND"},   {crGrabHandArrow, L"CUR_GRABHANDARROW"},
            {crDragHand, L"CUR_DRAGHAND"},
        };
        for (const auto& [id, name] : cursors)
            SetScreenCursor(id, name);
        return true;
    }();
    (void)registered;
}

intptr_t ShellOpen(const std::string& target)
{
    if (target.empty())
        return 0;
    HWND owner = Application ? Application->Handle() : nullptr;
    return ShellExecuteUtf8(owner, L"open", target, SW_SHOW);
}

void ShowLinkError(HWND owner)
{
    const std::wstring title = Application ? Widen(Application->Title()) : std::wstring();
    MessageBoxW(owner, L"Došlo k chybě při komunikaci s internetem!", title.c_str(), MB_OK | MB_ICONERROR);
}

TLinkLabel::TLinkLabel(TComponent* owner) : TFxLabel(owner)
{
    RegisterHandCursors();
    Cursor = crHandPoint;
    TabStop = true;
    ShowState(true);
}

void TLinkLabel::ShowState(bool underline)
{
    showing_ = true;
    Font.SetColor(state_.FontColor());
    if (underline)
        Font.SetStyle(state_.Underlined() ? Font.Style | fsUnderline : Font.Style & ~fsUnderline);
    showing_ = false;
}

void TLinkLabel::FontChanged()
{
    TFxLabel::FontChanged();
    if (!showing_)
        state_.FontColorChanged(Font.Color);
}

void TLinkLabel::SetUnvisitedColor(TColor color)
{
    state_.SetUnvisitedColor(color);
    ShowState();
}

void TLinkLabel::SetVisitedColor(TColor color)
{
    state_.SetVisitedColor(color);
    ShowState();
}

void TLinkLabel::SetCanHover(bool canHover)
{
    state_.SetCanHover(canHover);
    ShowState(true);
}

void TLinkLabel::MouseDown(TMouseButton button, int x, int y)
{
    TFxLabel::MouseDown(button, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    state_.LeftDown();
    ShowState();
}

void TLinkLabel::MouseUp(TMouseButton button, int x, int y)
{
    TFxLabel::MouseUp(button, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    Released(state_.LeftUp(x, y, Width(), Height()));
}

void TLinkLabel::Released(bool opens)
{
    ShowState();
    const std::string target = Target();
    if (!opens || target.empty())
        return;
    if (IsLinkAddress(target))
        ShellOpen(target);
    else
        ShowLinkError(Application ? Application->Handle() : nullptr);
}

TAccessibleInfo TLinkLabel::Accessible() const
{
    return {ROLE_SYSTEM_LINK, Caption(), {}, Target(), "Otevřít", STATE_SYSTEM_LINKED};
}

void TLinkLabel::DoDefaultAction()
{
    state_.LeftDown();
    Released(state_.LeftUp(0, 0, Width(), Height()));
}

void TLinkLabel::MouseEnter()
{
    TFxLabel::MouseEnter();
    state_.Enter();
    ShowState(state_.CanHover());
}

void TLinkLabel::MouseLeave()
{
    TFxLabel::MouseLeave();
    state_.Leave();
    ShowState(state_.CanHover());
}
