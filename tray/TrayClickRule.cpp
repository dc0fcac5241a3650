#include "TrayClickRule.h"

#include <utility>

void TrayClickRule::Notify(unsigned code, TrayClickTarget& target)
{
    switch (code) {
    case tnBalloonHide:
        target.RaiseBalloonHide();
        return;
    case tnBalloonTimeout:
        target.RaiseBalloonTimeout();
        return;
    case tnBalloonUserClick:
        target.RaiseBalloonClick();
        return;
    }
    if (!target.IsEnabled())
        return;
    const bool afterRightRelease = std::exchange(afterRightRelease_, code == tnRightButtonUp);
    switch (code) {
    case tnKeySelect:
        // The keyboard's activation does what a double click does.
        target.RaiseDblClick();
        target.ClickDefaultItem();
        break;
    case tnContextMenu:
        // The context-menu key, Shift+F10, or the echo of a right click.
        if (!afterRightRelease)
            target.ShowMenu();
        break;
    case tnMouseMove:
        if (target.WantsEnterExit() && cursorOutside_) {
            target.RaiseMouseEnter();
            cursorOutside_ = false;
        }
        target.RaiseMouseMove();
        break;
    case tnLeftButtonDown:
        if (target.HasDblClickHandler())
            target.StartClickTimer();
        target.RaiseMouseDown(TrayButton::Left);
        leftDown_ = true;
        if (target.OpensMenuOnLeft())
            target.ShowMenu();
        break;
    case tnLeftButtonUp:
        LeftButtonUp(target);
        break;
    case tnLeftButtonDblClk:
        LeftButtonDblClk(target);
        break;
    case tnRightButtonDown:
        target.RaiseMouseDown(TrayButton::Right);
        target.ShowMenu();
        break;
    case tnRightButtonUp:
        target.RaiseMouseUp(TrayButton::Right);
        break;
    case tnMiddleButtonDown:
        target.RaiseMouseDown(TrayButton::Middle);
        break;
    case tnMiddleButtonUp:
        target.RaiseMouseUp(TrayButton::Middle);
        break;
    }
}

void TrayClickRule::LeftButtonUp(TrayClickTarget& target)
{
    if (leftDown_) {
        clickPending_ = true;
        if (!target.ClickTimerActive()) {
            leftDown_ = false;
            clickPending_ = false;
            target.RaiseClick();
        }
    }
    leftDown_ = false;
    target.RaiseMouseUp(TrayButton::Left);
}

void TrayClickRule::LeftButtonDblClk(TrayClickTarget& target)
{
    clickPending_ = false;
    // Only a running click timer has a click to hold back; marking a double click that
    // came after it would swallow the next single click instead.
    doubleClicked_ = target.ClickTimerActive();
    target.RaiseDblClick();
    target.ClickDefaultItem();
}

void TrayClickRule::ClickTick(TrayClickTarget& target)
{
    target.StopClickTimer();
    const bool click = !doubleClicked_ && clickPending_;
    if (click)
        clickPending_ = false;
    doubleClicked_ = false;
    if (click)
        target.RaiseClick();
}

void TrayClickRule::LeaveTick(TrayClickTarget& target)
{
    if (!cursorOutside_ && target.CursorMovedAway()) {
        cursorOutside_ = true;
        target.RaiseMouseExit();
    }
}
