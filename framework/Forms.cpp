#include "Forms.h"

#include <algorithm>

#include "AccessibleClient.h"
#include "Application.h"
#include "Dpi.h"
#include "Menus.h"

namespace {
const UINT kReleaseMessage = WM_APP + 0x3F00;
#ifndef WM_GETDPISCALEDSIZE
const UINT WM_GETDPISCALEDSIZE = 0x02E4;
#endif
} // namespace

TForm::TForm(TComponent* owner) : TCustomControl(owner)
{
    visible_ = false;
    SetBounds(0, 0, 320, 240);
}

TForm::~TForm()
{
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
}

void TForm::CreateParams(CreateParamsData& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN;
    params.ExStyle = 0;
    switch (BorderStyle) {
    case TBorderStyle::bsNone:
        params.Style |= WS_POPUP;
        break;
    case TBorderStyle::bsSingle:
        params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case TBorderStyle::bsSizeable:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TBorderStyle::bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        params.ClassStyle = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
        break;
    }
    if (BorderStyle != TBorderStyle::bsNone && (BorderIcons & biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (BorderStyle != TBorderStyle::bsDialog) {
            if (BorderIcons & biMinimize)
                params.Style |= WS_MINIMIZEBOX;
            if (BorderIcons & biMaximize)
                params.Style |= WS_MAXIMIZEBOX;
        }
    }
    // Forms belong to the application window, which carries the taskbar button.
    params.WndParent = Application ? Application->Handle() : nullptr;
}

void TForm::SetClientSize(int width, int height)
{
    clientDesign_ = SIZE{DesignFromDpi(width, dpi_), DesignFromDpi(height, dpi_)};
    PlaceAt(BoundsAtDpi(dpi_));
}

SIZE TForm::FrameSizeAtDpi(int dpi)
{
    if (!clientDesign_)
        return {ScaleToDpi(design_.right - design_.left, dpi), ScaleToDpi(design_.bottom - design_.top, dpi)};
    CreateParamsData params;
    CreateParams(params);
    const RECT frame = FrameForClient(ScaleToDpi(clientDesign_->cx, dpi), ScaleToDpi(clientDesign_->cy, dpi),
                                      params.Style, params.ExStyle, dpi);
    return {frame.right, frame.bottom};
}

RECT TForm::BoundsAtDpi(int dpi)
{
    if (suggested_)
        return *suggested_;
    const SIZE size = FrameSizeAtDpi(dpi);
    return {Left(), Top(), Left() + size.cx, Top() + size.cy};
}

void TForm::HandleCreated()
{
    TCustomControl::HandleCreated();
    if (const int dpi = WindowDpi(Handle()); dpi != dpi_)
        ChangeScale(dpi);
}

void TForm::Show()
{
    // The window first: it knows the DPI the form is centred at.
    Handle();
    if (Position == TPosition::poScreenCenter && !centred_) {
        centred_ = true;
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        // A form larger than the work area (a high DPI on a small screen) keeps its caption
        // in reach: its top left corner stays inside.
        SetBounds(std::max<int>(work.left, work.left + (work.right - work.left - Width()) / 2),
                  std::max<int>(work.top, work.top + (work.bottom - work.top - Height()) / 2), Width(), Height());
    }
    visible_ = true;
    ShowWindow(Handle(), SW_SHOW);
}

void TForm::Hide()
{
    visible_ = false;
    if (HandleAllocated())
        ShowWindow(Handle(), SW_HIDE);
}

void TForm::BringToFront()
{
    Show();
    SetForegroundWindow(Handle());
    BringWindowToTop(Handle());
}

void TForm::SetActiveControl(TControl* control)
{
    if (control == activeControl_)
        return;
    if (activeControl_)
        InvalidateFocusMark();
    activeControl_ = control;
    if (activeControl_)
        InvalidateFocusMark();
    if (HandleAllocated() && GetActiveWindow() == Handle())
        FocusActiveControl();
}

void TForm::FocusActiveControl()
{
    auto* windowed = dynamic_cast<TWinControl*>(activeControl_);
    HWND target = windowed ? windowed->Handle() : Handle();
    if (GetFocus() != target && IsWindowVisible(target))
        SetFocus(target);
    // A windowless control has no window of its own to report its focus to readers.
    if (!windowed && activeControl_ && GetFocus() == Handle())
        NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, AccessibleChildId(*this, activeControl_));
}

void TForm::SelectNext(bool forward)
{
    std::vector<TControl*> stops;
    for (TControl* control : Controls()) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        const bool shown = windowed ? windowed->HandleAllocated() && IsWindowVisible(windowed->ExistingHandle())
                                    : control->Visible();
        if (control->TabStop && control->Enabled && shown)
            stops.push_back(control);
    }
    if (stops.empty())
        return;
    std::stable_sort(stops.begin(), stops.end(), [](const TControl* a, const TControl* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    auto current = std::find(stops.begin(), stops.end(), activeControl_);
    size_t next = 0;
    if (current == stops.end())
        next = forward ? 0 : stops.size() - 1;
    else
        next = (size_t(current - stops.begin()) + (forward ? 1 : stops.size() - 1)) % stops.size();
    SetActiveControl(stops[next]);
    FocusActiveControl();
}

bool TForm::DialogKey(WPARAM key)
{
    const bool modified = (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000);
    if (modified)
        return false;
    switch (key) {
    case VK_TAB:
        SelectNext(!(GetKeyState(VK_SHIFT) & 0x8000));
        return true;
    case VK_ESCAPE:
        if (!OnEscape)
            return false;
        OnEscape(*this);
        return true;
    case VK_RETURN:
    case VK_SPACE:
        if (!activeControl_ || activeControl_->IsWindowed() || GetFocus() != Handle())
            return false;
        activeControl_->DoDefaultAction();
        return true;
    }
    return false;
}

void TForm::InvalidateFocusMark()
{
    if (!activeControl_ || activeControl_->IsWindowed() || !HandleAllocated())
        return;
    RECT box = activeControl_->BoundsRect();
    InflateRect(&box, Scale(1), Scale(1));
    InvalidateRect(Handle(), &box, FALSE);
}

void TForm::PaintOver(HDC dc)
{
    if (!activeControl_ || activeControl_->IsWindowed() || !activeControl_->Visible() || GetFocus() != Handle())
        return;
    RECT box = activeControl_->BoundsRect();
    InflateRect(&box, Scale(1), Scale(1));
    DrawFocusRect(dc, &box);
}

void TForm::ControlFocused(TControl* control)
{
    if (control == activeControl_)
        return;
    if (activeControl_)
        InvalidateFocusMark();
    activeControl_ = control;
}

void TForm::ControlRemoved(TControl* control)
{
    if (control == activeControl_)
        activeControl_ = nullptr;
}

void TForm::DoCreate()
{
    // An error in the creation handler is reported; the form lives on all the same.
    try {
        if (OnCreate)
            OnCreate(*this);
    } catch (const std::exception& error) {
        if (Application)
            Application->ShowException(error);
    }
}

void TForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(*this, action);
}

void TForm::Close()
{
    TCloseAction action = Application && Application->MainForm() == this ? TCloseAction::caFree
                                                                           : TCloseAction::caHide;
    DoClose(action);
    switch (action) {
    case TCloseAction::caNone:
        return;
    case TCloseAction::caHide:
        Hide();
        return;
    case TCloseAction::caMinimize:
        ShowWindow(Handle(), SW_MINIMIZE);
        return;
    case TCloseAction::caFree:
        if (Application && Application->MainForm() == this)
            Application->Terminate();
        else
            Release();
        return;
    }
}

void TForm::Release() { PostMessageW(Handle(), kReleaseMessage, 0, 0); }

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // The system's suggested rectangle for the new DPI takes the design's size.
        *reinterpret_cast<SIZE*>(lParam) = FrameSizeAtDpi(int(wParam));
        return TRUE;
    }
    case WM_GETMINMAXINFO:
        // A form of fixed design keeps its size at a high DPI even on a screen too small
        // for it, rather than cutting its lower part off.
        if (clientDesign_) {
            const RECT frame = BoundsAtDpi(dpi_);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxTrackSize.x = std::max<LONG>(info->ptMaxTrackSize.x, frame.right - frame.left);
            info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, frame.bottom - frame.top);
        }
        break;
    case WM_DPICHANGED: {
        // The DPI comes from the message: during it the monitor queries may still name the
        // old monitor. One move and resize of the window, to the suggested rectangle.
        suggested_ = *reinterpret_cast<const RECT*>(lParam);
        ChangeScale(HIWORD(wParam));
        suggested_.reset();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        return 0;
    }
    case kReleaseMessage:
        delete this;
        return 0;
    case WM_SYSCOMMAND:
        // The main form minimizes the whole application, as its taskbar button does.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
            Application->Minimize();
            return 0;
        }
        break;
    case WM_SETFOCUS:
        // The form is focused when activated: a windowed active control takes the focus on.
        if (activeControl_ && activeControl_->IsWindowed()) {
            FocusActiveControl();
            return 0;
        }
        if (activeControl_)
            InvalidateFocusMark();
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // Told to top-level windows only: the form passes it on to its controls.
        SystemSettingsChanged();
        for (TControl* control : Controls())
            if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->HandleAllocated())
                windowed->SystemColoursChanged();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        break;
    case WM_KEYDOWN:
        // The form's own window has the focus (a windowless control is active) and the
        // message loop is not the application's.
        if (DialogKey(wParam))
            return 0;
        break;
    case WM_KILLFOCUS:
        if (activeControl_ && !activeControl_->IsWindowed())
            InvalidateFocusMark();
        break;
    case WM_SHOWWINDOW:
        if (lParam == 0) // not when shown or hidden along with the minimized application
            visible_ = wParam != 0;
        break;
    case WM_MOVE:
    case WM_SIZE: {
        RECT frame{};
        GetWindowRect(Handle(), &frame);
        if (!IsIconic(Handle()))
            bounds_ = frame;
        break;
    }
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0 && TMenuItem::DispatchCommand(LOWORD(wParam)))
            return 0;
        break;
    }
    return TCustomControl::WndProc(message, wParam, lParam);
}
