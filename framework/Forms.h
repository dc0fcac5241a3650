#pragma once
#include <optional>

#include "Controls.h"

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class TPosition { poDesigned, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// A top-level window. Its constructor is its layout: it creates and configures its
// components; the application then calls Loaded on them and the creation handler.
class TForm : public TCustomControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TBorderStyle BorderStyle = TBorderStyle::bsSizeable;
    unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition Position = TPosition::poDesigned;
    // In pixels at the form's DPI, kept as its design: at every DPI the client area is the
    // design's, scaled, and the frame around it the system's at that DPI.
    void SetClientSize(int width, int height);

    void Show();
    void Hide();
    // The close request of the close button, the menu or code: asks OnClose, then hides,
    // frees, or (for the main form) ends the application.
    void Close();
    // Frees the form once the message that is being handled now has been handled.
    void Release();
    void BringToFront();

    // The control that has the form's keyboard focus, and gets it back whenever the form
    // does; none: the form itself.
    TControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TControl* control);
    // The keyboard focus to the active control: a windowless one takes it through the form.
    void FocusActiveControl();
    void ControlFocused(TControl* control) override;
    void ControlRemoved(TControl* control) override;
    // The next control in the Tab order (the previous one going back) becomes the active one.
    void SelectNext(bool forward);
    // A key pressed anywhere in the form, before the focused window sees it: Tab moves the
    // focus, Escape raises OnEscape, Enter and Space act on a windowless active control.
    // True when the key was used here.
    bool DialogKey(WPARAM key);

    std::function<void(TForm&)> OnCreate;
    std::function<void(TForm&, TCloseAction&)> OnClose;
    // Escape pressed in the form; unassigned, Escape goes on to the focused window.
    std::function<void(TForm&)> OnEscape;

    void DoCreate();

protected:
    void CreateParams(CreateParamsData& params) override;
    // The window now exists: the form is laid out for its monitor's DPI.
    void HandleCreated() override;
    RECT BoundsAtDpi(int dpi) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void DoClose(TCloseAction& action);
    void PaintOver(HDC dc) override;

private:
    // The dotted frame around a windowless active control, one pixel outside it.
    void InvalidateFocusMark();

    // The frame's size at that DPI, from the design.
    SIZE FrameSizeAtDpi(int dpi);

    bool centred_ = false;
    TControl* activeControl_ = nullptr;
    std::optional<SIZE> clientDesign_;
    // Where the system asked the form to go with its new DPI.
    std::optional<RECT> suggested_;
};
