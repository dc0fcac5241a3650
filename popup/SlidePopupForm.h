#pragma once
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Image.h"
#include "Panel.h"
#include "PopupGeometry.h"
#include "SlidePopup.h"
#include "StdCtrls.h"

// A label of the popup (the framework's labels already raise mouse enter and leave). The
// text in hyperlink mode is a link: assistive technology is told so, and in high contrast
// it is drawn in the hot-track colour while the pointer is over it.
class TMouseLabel : public TLabel {
public:
    explicit TMouseLabel(TComponent* owner) : TLabel(owner) {}

    // Makes the label the link to that address.
    void SetLink(const std::string& url);
    // The pointer is over the link.
    void SetHot(bool hot);

    TAccessibleInfo Accessible() const override;
    // A reader's default action: as a left click.
    void DoDefaultAction() override { Click(); }

protected:
    TColor PlainTextColor() const override { return hot_ ? clHotLight : clWindowText; }

private:
    bool link_ = false;
    std::string url_;
    bool hot_ = false;
};

// The window of one notification: placed by the taskbar, slides in, stays TimeOut
// seconds, slides out and frees itself. Made and started by TSlidePopup::ShowNotification.
class TfrmSlidePopup : public TForm {
public:
    explicit TfrmSlidePopup(TComponent* owner);
    ~TfrmSlidePopup() override;

    TPanel* pnlBorder;
    TImage* imgIcon;
    TMouseLabel* lblText;
    TImage* imgGradient;
    TImage* imgStrip = nullptr;
    TTimer* tmrExit;
    TTimer* tmrScroll;
    TTimer* tmrScrollDown;
    TMouseLabel* lblTitle;

    // The settings this popup keeps from its component for its whole life.
    void TakeSettings(TSlidePopup& source);
    // Lays out, places, paints and shows the window and starts its animation.
    void Display();
    // Puts the text into its label and centres it in the panel.
    void CenterText();
    // An alert to screen readers: its title and text.
    TAccessibleInfo Accessible() const override;

protected:
    void CreateParams(CreateParamsData& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(TCloseAction& action) override;
    void Notification(TComponent* removed) override;

private:
    void lblTextMouseEnter();
    void lblTextMouseLeave();
    void lblTextClick();
    void tmrExitTimer();
    void tmrscrollDownTimer();
    void lblTextMouseUp(TMouseButton button);
    void lblTitleMouseUp(TMouseButton button);
    void tmrScrollTimer();
    void imgIconMouseUp(TMouseButton button);
    void imgGradientMouseUp(TMouseButton button);

    // A click beside the link: the left button raises OnClick; then, with spCloseOnClick,
    // any button closes.
    void ReportClick(TMouseButton button);
    void LayOut();
    void PaintBackgroundPicture();
    void PaintGradient(HDC dc, int width, int height) const;
    void StopTimers();
    PopupBox Box() const { return {Left(), Top(), Width(), Height()}; }
    void MoveTo(const PopupBox& box);
    PopupSpacing Spacing() const;

    int PlacedOffset = 0;
    TSlidePopup* Source = nullptr;
    bool AutoFree = true;
    TSlideImageDrawMethod BackgroundDrawMethod = TSlideImageDrawMethod::dmActualSize;
    std::string URL, Text, Title;
    int TimeOut = 0;
    // The component's 96-dpi sizes; from Display on, pixels at the popup's DPI (ScrollSpeed too).
    int FullWidth = 0, FullHeight = 0;
    bool ScrollIn = false;
    bool Hyperlink = false;
    TColor GradientColor1 = 0, GradientColor2 = 0;
    TOrientation GradientOrientation = TOrientation::mbVertical;
    uint8_t ScrollSpeed = 9;
    // The component's own fonts: later changes to them reach this popup.
    const TFont* TextFont = nullptr;
    const TFont* HoverFont = nullptr;
    const TFont* TitleFont = nullptr;
    int Edge = EdgeUnknown;
    int16_t TextCursor = 0;
    TDefaultMonitor DefaultMonitor = TDefaultMonitor::dmDesktop;

    bool freeing_ = false;
};
