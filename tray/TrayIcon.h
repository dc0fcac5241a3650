#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "Component.h"
#include "Controls.h"
#include "Icon.h"
#include "ImageList.h"
#include "Menus.h"
#include "ShiftState.h"
#include "SimpleTimer.h"
#include "TrayClickRule.h"
#include "WindowHook.h"

class TTrayIcon;

using TTrayNotifyEvent = std::function<void(TTrayIcon& sender)>;
using TTrayMouseEvent = std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TTrayMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;
using TCycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;
using TStartupEvent = std::function<void(TTrayIcon& sender, bool& showMainForm)>;

// The message the shell sends the shared tray window for every icon event.
constexpr UINT TrayCallbackMessage = WM_USER + 0x400;

// The program's entry in the notification area: an icon with a tip, a menu and mouse
// events, optional cycling through an image list, and control over whether the application
// starts hidden and minimizes into the notification area.
class TTrayIcon : public TComponent, private TrayClickTarget {
public:
    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    bool DesignPreview() const { return designPreview_; }
    void SetDesignPreview(bool preview);
    TImageList* IconList() const { return iconList_; }
    void SetIconList(TImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    unsigned CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(unsigned milliseconds);
    // False: every mouse callback of the icon is ignored.
    bool Enabled = true;
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    const TIcon& Icon() const { return icon_; }
    void SetIcon(const TIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    TPopupMenu* PopupMenu = nullptr;
    // The left button, not the right, opens the menu.
    bool LeftPopup = false;
    bool WantEnterExitEvents() const { return wantEnterExit_; }
    void SetWantEnterExitEvents(bool want);
    // Minimizing the application hides it and keeps the icon.
    bool MinimizeToTray = false;

    TTrayNotifyEvent OnClick;
    TTrayNotifyEvent OnDblClick;
    TTrayMouseEvent OnMouseDown;
    TTrayMouseEvent OnMouseUp;
    TTrayMouseMoveEvent OnMouseMove;
    TTrayNotifyEvent OnMouseEnter;
    TTrayNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TTrayNotifyEvent OnBalloonHintClick;
    TTrayNotifyEvent OnBalloonHintHide;
    TTrayNotifyEvent OnBalloonHintTimeout;
    TStartupEvent OnStartup;

    // Hides the main form and the application's window, and so its taskbar button.
    void HideApplication();
    // The menu at the cursor, with the application in the foreground.
    void ShowMenuAtCursor();

    // The number the shell knows this icon by, and the record it was last handed.
    UINT IconId() const { return iconId_; }
    const NOTIFYICONDATAW& TrayData() const { return trayData_; }
    // One callback of the shell, as the shared tray window receives it.
    void HandleTrayMessage(unsigned code) { clickRule_.Notify(code, *this); }
    // The images of the icon list at the notification area's icon size, which follows the
    // system's DPI: on start, when the taskbar is made anew and when the settings change.
    void FitIconsToTray();

protected:
    void Loaded() override;
    void Notification(TComponent* removed) override;

    virtual bool AddToTray();
    virtual bool RemoveFromTray();
    virtual bool RefreshTray();

    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    virtual void SendToTray();

private:
    void FillTrayData();
    bool ShellAdd();
    bool ShellShowsTrayData();
    void IconPictureChanged();
    bool AskStartup();
    HWND OwnerHandle() const;

    void AttachAppWindow();
    void AttachOwnerWindow();
    void AppWindowMessage(UINT message, WPARAM wParam);
    void OwnerWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static void CycleTick(void* context);
    static void ClickTick(void* context);
    static void LeaveTick(void* context);

    // What the click rule asks of the icon.
    bool IsEnabled() const override { return Enabled; }
    bool HasDblClickHandler() const override { return bool(OnDblClick); }
    bool WantsEnterExit() const override { return wantEnterExit_; }
    bool OpensMenuOnLeft() const override { return LeftPopup; }
    void StartClickTimer() override;
    void StopClickTimer() override { ClickTimer.Stop(); }
    bool ClickTimerActive() const override { return ClickTimer.Active(); }
    bool CursorMovedAway() const override;
    void RaiseMouseMove() override;
    void RaiseMouseEnter() override { DoMouseEnter(); }
    void RaiseMouseExit() override { DoMouseExit(); }
    void RaiseMouseDown(TrayButton button) override;
    void RaiseMouseUp(TrayButton button) override;
    void RaiseClick() override { DoClick(); }
    void RaiseDblClick() override { DoDblClick(); }
    void ClickDefaultItem() override;
    void ShowMenu() override { ShowMenuAtCursor(); }
    void RaiseBalloonHide() override;
    void RaiseBalloonTimeout() override;
    void RaiseBalloonClick() override;

    UINT iconId_;
    TrayClickRule clickRule_;
    TSimpleTimer CycleTimer;
    TSimpleTimer ClickTimer;
    TSimpleTimer LeaveTimer;
    POINT lastCursorPos_{};
    bool settingPreview_ = false;
    bool startupPending_ = true;
    TWindowHook appWindow_;
    TWindowHook ownerWindow_;
    NOTIFYICONDATAW trayData_{};

    bool designPreview_ = false;
    TImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    unsigned cycleInterval_ = 0;
    std::string hint_;
    bool showHint_ = true;
    TIcon icon_;
    bool iconVisible_ = false;
    // The shell took the last add, and no delete followed; what it took last.
    bool inTray_ = false;
    NOTIFYICONDATAW shown_{};
    int iconIndex_ = 0;
    bool wantEnterExit_ = false;
};
