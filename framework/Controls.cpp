#include "Controls.h"

#include <algorithm>
#include <map>

#include "AccessibleClient.h"
#include "Application.h"
#include "Cursors.h"
#include "Exception.h"
#include "Text.h"

namespace {
const wchar_t* const kControlProperty = L"SorielControl";
const wchar_t* const kWindowClass = L"SorielWindow";
} // namespace

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl()
{
    if (TWinControl* top = TopParent())
        top->ControlRemoved(this);
    if (parent_)
        parent_->RemoveChild(this);
}

TWinControl* TControl::TopParent() const
{
    TWinControl* top = parent_;
    while (top && top->Parent())
        top = top->Parent();
    return top;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent_)
        parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_)
        parent_->AddChild(this);
    // A control is drawn at the DPI of what it sits on.
    if (parent_ && parent_->Dpi() != dpi_)
        ChangeScale(parent_->Dpi());
    Invalidate();
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    design_ = {DesignFromDpi(left, dpi_), DesignFromDpi(top, dpi_), DesignFromDpi(left + width, dpi_),
               DesignFromDpi(top + height, dpi_)};
    PlaceAt({left, top, left + width, top + height});
}

void TControl::PlaceAt(const RECT& bounds)
{
    Invalidate();
    bounds_ = bounds;
    Invalidate();
}

RECT TControl::BoundsAtDpi(int dpi)
{
    return {ScaleToDpi(design_.left, dpi), ScaleToDpi(design_.top, dpi), ScaleToDpi(design_.right, dpi),
            ScaleToDpi(design_.bottom, dpi)};
}

void TControl::ChangeScale(int dpi)
{
    dpi_ = dpi;
    PlaceAt(BoundsAtDpi(dpi));
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    Invalidate();
}

void TControl::SetCaption(const std::string& caption)
{
    caption_ = caption;
    Invalidate();
}

void TControl::Invalidate()
{
    if (parent_ && parent_->HandleAllocated())
        InvalidateRect(parent_->Handle(), IsWindowed() ? nullptr : &bounds_, FALSE);
}

void TControl::MouseDown(TMouseButton button, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(*this, button, x, y);
}

void TControl::MouseUp(TMouseButton button, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(*this, button, x, y);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(*this);
}

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(*this);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // The window goes first, taking its child windows with it, so that no child is
    // ever moved out onto the desktop.
    DestroyHandle();
    for (TControl* child : std::vector<TControl*>(controls_))
        child->SetParent(nullptr);
}

void TWinControl::DestroyHandle()
{
    if (!handle_)
        return;
    HWND window = std::exchange(handle_, nullptr);
    RemovePropW(window, kControlProperty);
    if (systemProc_)
        SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(systemProc_));
    DestroyWindow(window);
}

HWND TWinControl::Handle()
{
    if (!handle_)
        CreateHandle();
    return handle_;
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    return static_cast<TWinControl*>(GetPropW(window, kControlProperty));
}

void TWinControl::CreateParams(CreateParamsData& params)
{
    params.Caption = Widen(caption_);
    params.X = bounds_.left;
    params.Y = bounds_.top;
    params.Width = Width();
    params.Height = Height();
    if (visible_)
        params.Style |= WS_VISIBLE;
    if (parent_)
        params.WndParent = parent_->Handle();
}

void TWinControl::CreateHandle()
{
    // Siblings made earlier get their windows first: a child window goes below those made
    // before it, so the windows stack in the order the controls were made.
    if (parent_)
        parent_->CreateChildHandles(this);
    CreateParamsData params;
    CreateParams(params);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t* className = params.ClassName;
    if (!className) {
        // One class per class style, so that a popup's drop shadow does not leak to others.
        static std::map<UINT, std::wstring> registered;
        auto [entry, isNew] = registered.try_emplace(params.ClassStyle,
                                                     std::wstring(kWindowClass) + std::to_wstring(params.ClassStyle));
        if (isNew) {
            WNDCLASSEXW windowClass{sizeof(windowClass)};
            windowClass.style = params.ClassStyle;
            windowClass.lpfnWndProc = &TWinControl::StaticWndProc;
            windowClass.hInstance = instance;
            windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            windowClass.hIcon = LoadIconW(instance, L"MAINICON");
            windowClass.lpszClassName = entry->second.c_str();
            RegisterClassExW(&windowClass);
        }
        className = entry->second.c_str();
    }
    HWND window = CreateWindowExW(params.ExStyle, className, params.Caption.c_str(), params.Style, params.X,
                                  params.Y, params.Width, params.Height, params.WndParent, nullptr, instance,
                                  this);
    if (!window)
        throw Exception("Nelze vytvořit okno: " + SystemErrorMessage(GetLastError()));
    if (!handle_) {
        // A system control: route its messages through us as well.
        handle_ = window;
        SetPropW(window, kControlProperty, this);
        systemProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, LONG_PTR(&TWinControl::StaticWndProc)));
    }
    SendMessageW(window, WM_SETFONT, WPARAM(Font.Handle(dpi_)), FALSE);
    HandleCreated();
    if (IsWindowVisible(window))
        CreateChildHandles();
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* control = static_cast<TWinControl*>(create->lpCreateParams);
        control->handle_ = window;
        SetPropW(window, kControlProperty, control);
    }
    TWinControl* control = FromHandle(window);
    if (!control)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return control->WndProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        if (Application)
            Application->ShowException(error);
        return 0;
    }
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (systemProc_)
        return CallWindowProcW(systemProc_, handle_, message, wParam, lParam);
    return DefWindowProcW(handle_, message, wParam, lParam);
}

HBRUSH TWinControl::ControlColor(HDC dc)
{
    if (HighContrastOn()) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    SetTextColor(dc, ColorToRGB(Font.Color));
    SetBkColor(dc, ColorToRGB(Color));
    if (!colorBrush_ || colorBrushColor_ != Color) {
        colorBrush_.Reset(CreateSolidBrush(ColorToRGB(Color)));
        colorBrushColor_ = Color;
    }
    return colorBrush_.Get();
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        if (TWinControl* child = FromHandle(HWND(lParam)))
            return LRESULT(child->ControlColor(HDC(wParam)));
        break;
    case WM_SETCURSOR:
        if (Cursor && HWND(wParam) == handle_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(CursorFromId(Cursor, dpi_));
            return TRUE;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        // Windowed children get their windows when their parent is first shown (or when
        // something needs them earlier): a window that stays hidden, as a program in the
        // tray does, never loads their libraries nor pays their memory.
        if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)
            CreateChildHandles();
        break;
    case WM_SETFOCUS:
        if (TWinControl* top = TopParent())
            top->ControlFocused(this);
        break;
    case WM_NCDESTROY: {
        LRESULT result = DefaultHandler(message, wParam, lParam);
        RemovePropW(handle_, kControlProperty);
        handle_ = nullptr;
        return result;
    }
    }
    return DefaultHandler(message, wParam, lParam);
}

void TWinControl::SetParent(TWinControl* parent)
{
    TControl::SetParent(parent);
    if (handle_)
        ::SetParent(handle_, parent ? parent->Handle() : nullptr);
    else if (parent && parent->HandleAllocated() && IsWindowVisible(parent->handle_))
        Handle();
}

void TWinControl::CreateChildHandles(const TControl* until)
{
    for (TControl* child : controls_) {
        if (child == until)
            return;
        if (child->IsWindowed())
            static_cast<TWinControl*>(child)->Handle();
    }
}

void TWinControl::PlaceAt(const RECT& bounds)
{
    bounds_ = bounds;
    if (handle_)
        SetWindowPos(handle_, nullptr, bounds.left, bounds.top, Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::ChangeScale(int dpi)
{
    TControl::ChangeScale(dpi);
    if (handle_)
        SendMessageW(handle_, WM_SETFONT, WPARAM(Font.Handle(dpi)), TRUE);
    for (TControl* child : controls_)
        child->ChangeScale(dpi);
}

void TWinControl::SetVisible(bool visible)
{
    visible_ = visible;
    if (handle_)
        ShowWindow(handle_, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::SetCaption(const std::string& caption)
{
    caption_ = caption;
    if (handle_)
        SetWindowTextW(handle_, Widen(caption).c_str());
}

void TWinControl::AddChild(TControl* child) { controls_.push_back(child); }

void TWinControl::RemoveChild(TControl* child)
{
    std::erase(controls_, child);
    if (hoveredChild_ == child)
        hoveredChild_ = nullptr;
    if (pressedChild_ == child)
        pressedChild_ = nullptr;
    if (handle_)
        InvalidateRect(handle_, &child->BoundsRect(), FALSE);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

TCustomControl::~TCustomControl()
{
    // A reader may hold the object longer than the control lives.
    if (accessible_)
        accessible_->Disconnect();
}

TAccessibleInfo TCustomControl::Accessible() const { return {ROLE_SYSTEM_CLIENT, Caption()}; }

void TCustomControl::PaintBackground(TCanvas& canvas, const RECT& client) { canvas.FillRect(client, Color); }

void TCustomControl::PaintAll(HDC target)
{
    RECT client{};
    GetClientRect(Handle(), &client);
    MemoryDc buffer(CreateCompatibleDC(target));
    BitmapHandle bitmap(CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
    HGDIOBJ old = SelectObject(buffer.Get(), bitmap.Get());
    const bool plain = HighContrastOn();
    {
        TCanvas canvas(buffer.Get(), Dpi());
        if (plain)
            canvas.FillRect(client, clWindow);
        else
            PaintBackground(canvas, client);
    }
    for (TControl* child : Controls()) {
        if (child->IsWindowed() || !child->Visible())
            continue;
        const RECT& box = child->BoundsRect();
        int saved = SaveDC(buffer.Get());
        IntersectClipRect(buffer.Get(), box.left, box.top, box.right, box.bottom);
        SetViewportOrgEx(buffer.Get(), box.left, box.top, nullptr);
        {
            TCanvas canvas(buffer.Get(), child->Dpi());
            if (plain)
                child->PaintPlain(canvas);
            else
                child->Paint(canvas);
        }
        RestoreDC(buffer.Get(), saved);
    }
    PaintOver(buffer.Get());
    BitBlt(target, 0, 0, client.right, client.bottom, buffer.Get(), 0, 0, SRCCOPY);
    SelectObject(buffer.Get(), old);
}

TControl* TCustomControl::ChildAt(int x, int y) const
{
    const auto& children = Controls();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TControl* child = *it;
        POINT point{x, y};
        if (!child->IsWindowed() && child->Visible() && child->Enabled && PtInRect(&child->BoundsRect(), point))
            return child;
    }
    return nullptr;
}

void TCustomControl::TrackHover(TControl* hovered)
{
    if (hovered == hoveredChild_)
        return;
    TControl* left = std::exchange(hoveredChild_, hovered);
    if (left)
        left->MouseLeave();
    if (hovered)
        hovered->MouseEnter();
}

LRESULT TCustomControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = short(LOWORD(lParam));
    const int y = short(HIWORD(lParam));
    auto buttonOf = [](UINT m) {
        return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_LBUTTONDBLCLK ? TMouseButton::mbLeft
               : m == WM_RBUTTONDOWN || m == WM_RBUTTONUP                        ? TMouseButton::mbRight
                                                                                 : TMouseButton::mbMiddle;
    };
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_GETOBJECT:
        if (LONG(lParam) == OBJID_CLIENT) {
            if (!accessible_)
                accessible_ = ComPtr<TAccessibleClient>(new TAccessibleClient(this));
            return accessible_->Answer(wParam);
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        PaintAll(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && HWND(wParam) == Handle()) {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(Handle(), &point);
            TControl* child = ChildAt(point.x, point.y);
            HCURSOR cursor = child && child->Cursor ? CursorFromId(child->Cursor, dpi_) : CursorFromId(Cursor, dpi_);
            SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            tracking_ = TrackMouseEvent(&track);
        }
        TrackHover(ChildAt(x, y));
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        TrackHover(nullptr);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        pressedChild_ = ChildAt(x, y);
        SetCapture(Handle());
        TControl* target = pressedChild_ ? pressedChild_ : this;
        target->MouseDown(buttonOf(message), x - (pressedChild_ ? pressedChild_->Left() : 0),
                          y - (pressedChild_ ? pressedChild_->Top() : 0));
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        ReleaseCapture();
        TControl* child = std::exchange(pressedChild_, nullptr);
        TControl* target = child ? child : this;
        const int localX = x - (child ? child->Left() : 0);
        const int localY = y - (child ? child->Top() : 0);
        const bool inside = child ? ChildAt(x, y) == child : true;
        // Click before mouse-up, as users of the events expect; a window closed by either
        // is freed later (Release), so both still reach a live control.
        if (message == WM_LBUTTONUP && inside)
            target->Click();
        target->MouseUp(buttonOf(message), localX, localY);
        return 0;
    }
    }
    return TWinControl::WndProc(message, wParam, lParam);
}
