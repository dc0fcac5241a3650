#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ComPtr.h"
#include "Component.h"
#include "DpiScale.h"
#include "Graphics.h"

class TAccessibleClient;

class TWinControl;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// What assistive technology is told of a control (the MSAA role, ROLE_SYSTEM_*; 0: nothing).
struct TAccessibleInfo {
    long Role = 0;
    std::string Name;
    std::string Description;
    std::string Value;
    std::string DefaultAction;
    long State = 0; // STATE_SYSTEM_* beyond focus and visibility
};

// Anything placed on a window: position in its parent's client area, colour, font, mouse events.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The outermost control this one sits on (its form); none without a parent.
    TWinControl* TopParent() const;

    // Position and size in pixels at the control's DPI.
    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    const RECT& BoundsRect() const { return bounds_; }
    // Also keeps them as the 96-dpi design that every change of DPI lays the control out
    // from again, so that going there and back does not move it by a pixel.
    void SetBounds(int left, int top, int width, int height);

    // The DPI the control is drawn at: its form's, which is its monitor's. A form is designed
    // at 96 dpi; what a control draws with its own arithmetic is scaled by Scale.
    int Dpi() const { return dpi_; }
    int Scale(int designValue) const { return ScaleToDpi(designValue, dpi_); }
    // Lays the control out for the DPI from its design, its children with it.
    virtual void ChangeScale(int dpi);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled = true;

    TColor Color = clBtnFace;
    TFont Font;
    std::string Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    int Cursor = 0; // a cursor identifier (Cursors.h), drawn at the control's DPI; 0: the arrow
    // Reached with Tab; the form's order is the reading order, top to bottom, left to right.
    bool TabStop = false;

    std::function<void(TControl&)> OnClick;
    std::function<void(TControl&, TMouseButton, int x, int y)> OnMouseDown;
    std::function<void(TControl&, TMouseButton, int x, int y)> OnMouseUp;
    std::function<void(TControl&)> OnMouseEnter;
    std::function<void(TControl&)> OnMouseLeave;

    // Mouse input as the parent routes it; the default raises the events.
    virtual void MouseDown(TMouseButton button, int x, int y);
    virtual void MouseUp(TMouseButton button, int x, int y);
    virtual void Click();
    virtual void MouseEnter();
    virtual void MouseLeave();

    // Windowless controls draw themselves here, in their own coordinates.
    virtual void Paint(TCanvas& canvas) { (void)canvas; }
    // The same in high contrast: only what carries meaning, in the system's colours;
    // decoration (backdrops, pictures, shapes, text effects) is left out.
    virtual void PaintPlain(TCanvas& canvas) { (void)canvas; }
    virtual bool IsWindowed() const { return false; }
    void Invalidate();

    virtual TAccessibleInfo Accessible() const { return {}; }
    // Enter or Space on the focused control, or assistive technology's default action.
    virtual void DoDefaultAction() {}

protected:
    // Moves the control, in pixels, without touching its design.
    virtual void PlaceAt(const RECT& bounds);
    // Where the control goes at that DPI.
    virtual RECT BoundsAtDpi(int dpi);

    RECT bounds_{};
    RECT design_{};
    int dpi_ = kDesignDpi;
    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    std::string caption_;
};

// A control with a window of its own.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    HWND ExistingHandle() const { return handle_; }
    void SetParent(TWinControl* parent) override;
    void SetVisible(bool visible) override;
    void ChangeScale(int dpi) override;
    void SetCaption(const std::string& caption) override;
    bool IsWindowed() const override { return true; }

    // Children in the order they were placed: also the painting order of windowless ones.
    const std::vector<TControl*>& Controls() const { return controls_; }
    void AddChild(TControl* child);
    void RemoveChild(TControl* child);

    static TWinControl* FromHandle(HWND window);

    // The outermost control hears of a control on it that got the keyboard focus, and of
    // one going away.
    virtual void ControlFocused(TControl* control) { (void)control; }
    virtual void ControlRemoved(TControl* control) { (void)control; }
    // The system's colours or its high-contrast mode changed.
    virtual void SystemColoursChanged() {}

    struct CreateParamsData {
        const wchar_t* ClassName = nullptr; // null: the framework's own painting window class
        std::wstring Caption;
        DWORD Style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD ExStyle = 0;
        UINT ClassStyle = CS_DBLCLKS;
        int X = 0, Y = 0, Width = 0, Height = 0;
        HWND WndParent = nullptr;
    };

protected:
    void PlaceAt(const RECT& bounds) override;
    virtual void CreateParams(CreateParamsData& params);
    virtual void HandleCreated() {}
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    void DestroyHandle();

    // The windowless children under the mouse and under a pressed button.
    TControl* hoveredChild_ = nullptr;
    TControl* pressedChild_ = nullptr;

    // A child control's colours (WM_CTLCOLOR*).
    HBRUSH ControlColor(HDC dc);

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateHandle();
    // The windows of the windowed children, up to that child (all of them without one).
    void CreateChildHandles(const TControl* until = nullptr);

    HWND handle_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    std::vector<TControl*> controls_;
    BrushHandle colorBrush_;
    TColor colorBrushColor_ = 0;
};

// A windowed control of the framework's own class: paints its colour and its windowless
// children in creation order (double-buffered), and routes the mouse to them.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TAccessibleInfo Accessible() const override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Draws the background; children are drawn over it.
    virtual void PaintBackground(TCanvas& canvas, const RECT& client);
    // Draws over the children (a focus mark).
    virtual void PaintOver(HDC dc) { (void)dc; }

private:
    void PaintAll(HDC dc);
    TControl* ChildAt(int x, int y) const;
    void TrackHover(TControl* hovered);

    bool tracking_ = false;
    ComPtr<TAccessibleClient> accessible_;
};

// A windowless control drawn by its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
};
