#pragma once
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

    std::function<void(TForm&)> OnCreate;
    std::function<void(TForm&, TCloseAction&)> OnClose;

    void DoCreate();

protected:
    void CreateParams(CreateParamsData& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void DoClose(TCloseAction& action);

private:
    bool centred_ = false;
    TControl* activeControl_ = nullptr;
};
