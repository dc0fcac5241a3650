#pragma once

// What the shell reports in the tray callback's lParam.
enum TrayNotifyCode : unsigned {
    tnContextMenu = 0x7B,
    tnMouseMove = 0x200,
    tnLeftButtonDown = 0x201,
    tnLeftButtonUp = 0x202,
    tnLeftButtonDblClk = 0x203,
    tnRightButtonDown = 0x204,
    tnRightButtonUp = 0x205,
    tnMiddleButtonDown = 0x207,
    tnMiddleButtonUp = 0x208,
    // From the keyboard (Enter or Space on the icon); the shell's mouse select (0x400)
    // only follows a release that the rule has handled already.
    tnKeySelect = 0x401,
    tnBalloonHide = 0x403,
    tnBalloonTimeout = 0x404,
    tnBalloonUserClick = 0x405,
};

enum class TrayButton { Left, Right, Middle };

// The tray icon as the click rule sees it: its settings, its click timer and its events.
class TrayClickTarget {
public:
    virtual bool IsEnabled() const = 0;
    virtual bool HasDblClickHandler() const = 0;
    virtual bool WantsEnterExit() const = 0;
    virtual bool OpensMenuOnLeft() const = 0;

    // The click timer runs for one system double-click time.
    virtual void StartClickTimer() = 0;
    virtual void StopClickTimer() = 0;
    virtual bool ClickTimerActive() const = 0;
    // Whether the cursor is now elsewhere than at the last reported move.
    virtual bool CursorMovedAway() const = 0;

    virtual void RaiseMouseMove() = 0;
    virtual void RaiseMouseEnter() = 0;
    virtual void RaiseMouseExit() = 0;
    virtual void RaiseMouseDown(TrayButton button) = 0;
    virtual void RaiseMouseUp(TrayButton button) = 0;
    virtual void RaiseClick() = 0;
    virtual void RaiseDblClick() = 0;
    virtual void ClickDefaultItem() = 0;
    virtual void ShowMenu() = 0;
    virtual void RaiseBalloonHide() = 0;
    virtual void RaiseBalloonTimeout() = 0;
    virtual void RaiseBalloonClick() = 0;

protected:
    ~TrayClickTarget() = default;
};

// Turns the shell's callbacks into the icon's events. A single left click waits one
// double-click time (when a double-click handler waits for it), so that a double click
// does not also raise a click.
class TrayClickRule {
public:
    void Notify(unsigned code, TrayClickTarget& target);
    void ClickTick(TrayClickTarget& target);
    void LeaveTick(TrayClickTarget& target);

    bool ClickPending() const { return clickPending_; }
    bool DoubleClicked() const { return doubleClicked_; }
    bool CursorOutside() const { return cursorOutside_; }

private:
    void LeftButtonUp(TrayClickTarget& target);
    void LeftButtonDblClk(TrayClickTarget& target);

    bool leftDown_ = false;
    bool clickPending_ = false;
    bool doubleClicked_ = false;
    bool cursorOutside_ = true;
    // The shell follows a right release with a context-menu request of its own; the menu
    // opened on the press already.
    bool afterRightRelease_ = false;
};
