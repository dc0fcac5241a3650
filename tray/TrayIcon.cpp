#include "TrayIcon.h"

#include <cstring>
#include <utility>

#include "Application.h"
#include "Dpi.h"
#include "Forms.h"
#include "TrayIconHandler.h"
#include "TrayIconRules.h"

namespace {

TShiftState ReadShiftState()
{
    TShiftState shift = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000)
        shift |= ssShift;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000)
        shift |= ssCtrl;
    if (GetAsyncKeyState(VK_MENU) & 0x8000)
        shift |= ssAlt;
    return shift;
}

POINT CursorPos()
{
    POINT pos{};
    GetCursorPos(&pos);
    return pos;
}

TMouseButton ToMouseButton(TrayButton button)
{
    switch (button) {
    case TrayButton::Right:
        return TMouseButton::mbRight;
    case TrayButton::Middle:
        return TMouseButton::mbMiddle;
    case TrayButton::Left:
        break;
    }
    return TMouseButton::mbLeft;
}

TShiftState ButtonShift(TrayButton button)
{
    switch (button) {
    case TrayButton::Right:
        return ssRight;
    case TrayButton::Middle:
        return ssMiddle;
    case TrayButton::Left:
        break;
    }
    return ssLeft;
}

// A multiple-document frame window keeps its documents in an MDICLIENT child.
bool IsMdiFrame(TForm* form)
{
    return form->HandleAllocated() && FindWindowExW(form->ExistingHandle(), nullptr, L"MDICLIENT", nullptr);
}

// A hook's errors are reported; the window's own procedure still gets the message.
TWindowHook::Handler ReportingErrors(TWindowHook::Handler handler)
{
    return [handler = std::move(handler)](UINT message, WPARAM wParam, LPARAM lParam) {
        try {
            handler(message, wParam, lParam);
        } catch (const std::exception& error) {
            if (Application)
                Application->ShowException(error);
        }
    };
}

} // namespace

TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner), iconId_(AcquireTrayHandler().Register(this)), CycleTimer(this, &TTrayIcon::CycleTick),
      ClickTimer(this, &TTrayIcon::ClickTick), LeaveTimer(this, &TTrayIcon::LeaveTick)
{
    icon_.OnChange = [this] { IconPictureChanged(); };
    trayData_.cbSize = NOTIFYICONDATAW_V2_SIZE;
    trayData_.hWnd = TrayHandler()->Window();
    trayData_.uID = iconId_;
    trayData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData_.uCallbackMessage = TrayCallbackMessage;
    // Asked for after every add: the shell then reports keyboard selection and the
    // context-menu key, and keeps the callback's form (the icon's number, the event).
    trayData_.uVersion = NOTIFYICON_VERSION;
    AttachAppWindow();
    // The owner's window, when it already has one; otherwise once its layout is loaded.
    if (auto* control = dynamic_cast<TWinControl*>(owner); control && control->HandleAllocated())
        AttachOwnerWindow();
}

TTrayIcon::~TTrayIcon()
{
    SetIconVisible(false);
    CycleTimer.Stop();
    ClickTimer.Stop();
    LeaveTimer.Stop();
    icon_.OnChange = nullptr;
    appWindow_.Detach();
    ownerWindow_.Detach();
    TrayHandler()->Unregister(iconId_);
    ReleaseTrayHandler();
}

void TTrayIcon::Loaded()
{
    TComponent::Loaded();
    if (!ownerWindow_.Window())
        AttachOwnerWindow();
    if (OwnerHandle() && Application && !AskStartup()) {
        Application->ShowMainForm = false;
        HideApplication();
    }
    // An entry added while loading already shows what the change would send.
    if (!ShellShowsTrayData())
        RefreshTray();
    // An entry already added needs no second add: the shell would refuse it.
    if (iconVisible_ != inTray_)
        SetIconVisible(iconVisible_);
    SetCycleIcons(cycleIcons_);
    SetWantEnterExitEvents(wantEnterExit_);
}

bool TTrayIcon::AskStartup()
{
    bool showMainForm = true;
    if (OnStartup)
        OnStartup(*this, showMainForm);
    return showMainForm;
}

void TTrayIcon::Notification(TComponent* removed)
{
    TComponent::Notification(removed);
    if (removed == iconList_)
        SetIconList(nullptr);
    if (removed == PopupMenu)
        PopupMenu = nullptr;
}

HWND TTrayIcon::OwnerHandle() const
{
    auto* control = dynamic_cast<TWinControl*>(Owner());
    return control ? control->Handle() : nullptr;
}

void TTrayIcon::SetDesignPreview(bool preview)
{
    designPreview_ = preview;
    settingPreview_ = true;
    SetIconVisible(preview);
    settingPreview_ = false;
}

void TTrayIcon::SetIconList(TImageList* list)
{
    iconList_ = list;
    if (iconList_)
        iconList_->SetSize(SmallIconSize(), SmallIconSize());
    SetIconIndex(0);
}

void TTrayIcon::FitIconsToTray()
{
    const int size = SmallIconSize();
    if (!iconList_ || iconList_->Width() == size)
        return;
    iconList_->SetSize(size, size);
    SetIconIndex(iconIndex_);
}

void TTrayIcon::SetCycleIcons(bool cycle)
{
    cycleIcons_ = cycle;
    if (cycle) {
        SetIconIndex(0);
        CycleTimer.Start(cycleInterval_);
    } else {
        CycleTimer.Stop();
    }
}

void TTrayIcon::SetCycleInterval(unsigned milliseconds)
{
    cycleInterval_ = milliseconds;
    SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetHint(const std::string& hint)
{
    hint_ = LimitHint(hint);
    RefreshTray();
}

void TTrayIcon::SetShowHint(bool show)
{
    showHint_ = show;
    RefreshTray();
}

void TTrayIcon::SetIcon(const TIcon& icon)
{
    icon_.OnChange = nullptr;
    icon_.Assign(icon);
    icon_.OnChange = [this] { IconPictureChanged(); };
    RefreshTray();
}

void TTrayIcon::IconPictureChanged() { RefreshTray(); }

void TTrayIcon::SetIconVisible(bool visible)
{
    if (visible)
        AddToTray();
    else
        RemoveFromTray();
}

void TTrayIcon::SetIconIndex(int index)
{
    if (iconList_) {
        iconIndex_ = ClampIconIndex(index, iconList_->Count());
        iconList_->GetIcon(iconIndex_, icon_);
    } else {
        iconIndex_ = 0;
    }
    // Once more on every assignment, even an unchanged one: an entry the shell refused or
    // lost comes back with the next status tick (see RefreshTray).
    RefreshTray();
}

void TTrayIcon::SetWantEnterExitEvents(bool want)
{
    wantEnterExit_ = want;
    if (want)
        LeaveTimer.Start(20);
    else
        LeaveTimer.Stop();
}

void TTrayIcon::FillTrayData()
{
    trayData_.hIcon = icon_.Handle();
    const std::wstring tip = TrayTipText(hint_, showHint_ && !hint_.empty());
    std::memset(trayData_.szTip, 0, sizeof(trayData_.szTip));
    std::memcpy(trayData_.szTip, tip.data(), tip.size() * sizeof(wchar_t));
}

bool TTrayIcon::AddToTray()
{
    if (!settingPreview_)
        iconVisible_ = true;
    FillTrayData();
    return ShellAdd();
}

bool TTrayIcon::ShellAdd()
{
    inTray_ = Shell_NotifyIconW(NIM_ADD, &trayData_);
    if (inTray_) {
        shown_ = trayData_;
        Shell_NotifyIconW(NIM_SETVERSION, &trayData_);
    }
    return inTray_;
}

bool TTrayIcon::ShellShowsTrayData()
{
    FillTrayData();
    return inTray_ && std::memcmp(&shown_, &trayData_, sizeof trayData_) == 0;
}

bool TTrayIcon::RemoveFromTray()
{
    if (!settingPreview_)
        iconVisible_ = false;
    inTray_ = false;
    FillTrayData();
    return Shell_NotifyIconW(NIM_DELETE, &trayData_);
}

bool TTrayIcon::RefreshTray()
{
    FillTrayData();
    // Never added, or deleted, and not to be shown: the shell would only refuse the change.
    if (!inTray_ && !iconVisible_)
        return false;
    if (Shell_NotifyIconW(NIM_MODIFY, &trayData_)) {
        shown_ = trayData_;
        return true;
    }
    // The shell lost the entry or never took it (a slow shell at logon): without it the
    // hidden program could not be reached at all, so a visible icon is added again.
    return iconVisible_ && ShellAdd();
}

void TTrayIcon::HideApplication()
{
    if (!OwnerHandle() || !Application || !Application->MainForm())
        return;
    Application->MainForm()->Hide();
    ShowWindow(Application->Handle(), SW_HIDE);
}

void TTrayIcon::ShowMenuAtCursor()
{
    POINT pos{};
    if (!PopupMenu || !PopupMenu->AutoPopup || !GetCursorPos(&pos))
        return;
    if (Application) {
        SetForegroundWindow(Application->Handle());
        Application->ProcessMessages();
    }
    HWND owner = OwnerHandle();
    PopupMenu->Popup(pos.x, pos.y, owner ? owner : TrayHandler()->Window());
    if (owner)
        PostMessageW(owner, WM_NULL, 0, 0);
}

void TTrayIcon::DoClick()
{
    if (OnClick)
        OnClick(*this);
}

void TTrayIcon::DoDblClick()
{
    if (OnDblClick)
        OnDblClick(*this);
}

void TTrayIcon::DoCycle()
{
    if (OnCycle)
        OnCycle(*this, iconList_ ? NextCycleIndex(iconIndex_, iconList_->Count()) : 0);
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TTrayIcon::DoMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TTrayIcon::DoMouseExit()
{
    if (OnMouseExit)
        OnMouseExit(*this);
}

void TTrayIcon::SendToTray()
{
    HideApplication();
    SetIconVisible(true);
}

void TTrayIcon::CycleTick(void* context)
{
    auto* self = static_cast<TTrayIcon*>(context);
    if (!self->iconList_)
        return;
    self->iconList_->GetIcon(self->iconIndex_, self->icon_);
    self->DoCycle();
    self->iconIndex_ = NextCycleIndex(self->iconIndex_, self->iconList_->Count());
}

void TTrayIcon::ClickTick(void* context)
{
    auto* self = static_cast<TTrayIcon*>(context);
    self->clickRule_.ClickTick(*self);
}

void TTrayIcon::LeaveTick(void* context)
{
    auto* self = static_cast<TTrayIcon*>(context);
    self->clickRule_.LeaveTick(*self);
}

void TTrayIcon::StartClickTimer() { ClickTimer.Start(GetDoubleClickTime()); }

bool TTrayIcon::CursorMovedAway() const
{
    POINT pos{};
    return GetCursorPos(&pos) && (pos.x != lastCursorPos_.x || pos.y != lastCursorPos_.y);
}

void TTrayIcon::RaiseMouseMove()
{
    const POINT pos = CursorPos();
    DoMouseMove(ReadShiftState(), pos.x, pos.y);
    lastCursorPos_ = pos;
}

void TTrayIcon::RaiseMouseDown(TrayButton button)
{
    const POINT pos = CursorPos();
    DoMouseDown(ToMouseButton(button), ReadShiftState() | ButtonShift(button), pos.x, pos.y);
}

void TTrayIcon::RaiseMouseUp(TrayButton button)
{
    const POINT pos = CursorPos();
    DoMouseUp(ToMouseButton(button), ReadShiftState() | ButtonShift(button), pos.x, pos.y);
}

void TTrayIcon::ClickDefaultItem()
{
    if (!PopupMenu || !PopupMenu->AutoPopup || LeftPopup)
        return;
    for (TMenuItem* item : PopupMenu->Items)
        if (item->Default) {
            item->Click();
            return;
        }
}

// The balloon events name the component as their sender, like every other event.
void TTrayIcon::RaiseBalloonHide()
{
    if (OnBalloonHintHide)
        OnBalloonHintHide(*this);
}

void TTrayIcon::RaiseBalloonTimeout()
{
    if (OnBalloonHintTimeout)
        OnBalloonHintTimeout(*this);
}

void TTrayIcon::RaiseBalloonClick()
{
    if (OnBalloonHintClick)
        OnBalloonHintClick(*this);
}

void TTrayIcon::AttachAppWindow()
{
    if (!Application)
        return;
    appWindow_.Attach(Application->Handle(), ReportingErrors([this](UINT message, WPARAM wParam, LPARAM) {
                          AppWindowMessage(message, wParam);
                      }));
}

void TTrayIcon::AttachOwnerWindow()
{
    ownerWindow_.Attach(OwnerHandle(), ReportingErrors([this](UINT message, WPARAM wParam, LPARAM lParam) {
                            OwnerWindowMessage(message, wParam, lParam);
                        }));
}

void TTrayIcon::AppWindowMessage(UINT message, WPARAM wParam)
{
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && MinimizeToTray)
        SendToTray();
    if (message == WM_WINDOWPOSCHANGED && startupPending_ && Application && Application->MainForm()) {
        // Cleared first: hiding the window below moves it again.
        startupPending_ = false;
        // A multiple-document frame shows itself along with the application: ask again.
        if (IsMdiFrame(Application->MainForm()) && !AskStartup())
            ShowWindow(Application->Handle(), SW_HIDE);
    }
    if (message == TaskbarCreatedMessage() && iconVisible_)
        AddToTray();
}

void TTrayIcon::OwnerWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Activated again: the keyboard focus goes back where the user left it, unless the
    // window that lost the activation holds the active control.
    if (message == WM_ACTIVATE && (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE)) {
        auto* form = dynamic_cast<TForm*>(Owner());
        if (TControl* active = form ? form->ActiveControl() : nullptr) {
            auto* windowed = dynamic_cast<TWinControl*>(active);
            TWinControl* holder = active->Parent() ? active->Parent() : windowed;
            if (holder && holder->ExistingHandle() != HWND(lParam))
                form->FocusActiveControl();
        }
    }
    // Shown by a show call (not along with its owner): bring the application back first,
    // so the taskbar button returns, then the window to the front.
    if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0 && Application) {
        ShowWindow(Application->Handle(), SW_RESTORE);
        SetForegroundWindow(Application->Handle());
        SetForegroundWindow(ownerWindow_.Window());
    }
}
