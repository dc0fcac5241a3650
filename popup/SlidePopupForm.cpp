#include "SlidePopupForm.h"

#include <oleacc.h>

#include <algorithm>
#include <climits>

#include "Exception.h"
#include "LinkAddress.h"
#include "PopupGradient.h"
#include "Shell.h"
#include "Text.h"
#include "WindowsVersionRules.h"

namespace {

// At 96 dpi.
const int kStripHeight = 3;
const int kStripMargin = 10;
const int kTextMargin = 15;
const int kTitleLeftWithoutIcon = 8;

// The strip's picture drawn for the DPI's scale: its rows stay whole pixels.
std::string StripResource(int dpi)
{
    const int percent = StripScalePercent(dpi);
    return percent == 100 ? "STRIP" : "STRIP" + std::to_string(percent);
}

// A timer that never fires for no time-out.
unsigned ExitIntervalMs(int seconds)
{
    return seconds <= 0 ? 0 : unsigned(std::min<long long>(seconds * 1000LL, INT_MAX));
}

OSVERSIONINFOW RunningVersion()
{
    OSVERSIONINFOW version{sizeof(version)};
    GetVersionExW(&version);
    return version;
}

// Clears a flag for the time a user's handler runs, whatever way it ends.
class FlagOff {
public:
    explicit FlagOff(bool& flag) : flag_(flag) { flag_ = false; }
    ~FlagOff() { flag_ = true; }
    FlagOff(const FlagOff&) = delete;
    FlagOff& operator=(const FlagOff&) = delete;

private:
    bool& flag_;
};

} // namespace

void TMouseLabel::SetLink(const std::string& url)
{
    link_ = true;
    url_ = url;
}

void TMouseLabel::SetHot(bool hot)
{
    hot_ = hot;
    Invalidate();
}

TAccessibleInfo TMouseLabel::Accessible() const
{
    if (!link_)
        return {};
    return {ROLE_SYSTEM_LINK, Caption(), {}, url_, "Otevřít", STATE_SYSTEM_LINKED};
}

TfrmSlidePopup::TfrmSlidePopup(TComponent* owner) : TForm(owner)
{
    BorderStyle = TBorderStyle::bsDialog;
    // No system menu: without a caption it could never be opened, and Wine hands popups
    // that have one to the window manager, which then may move or focus them.
    BorderIcons = 0;

    pnlBorder = new TPanel(this);
    pnlBorder->BevelWidth = 2;
    pnlBorder->BevelOuter = TBevelCut::bvLowered;
    pnlBorder->SetParent(this);

    imgGradient = new TImage(this);
    imgGradient->SetParent(pnlBorder);
    imgGradient->OnMouseUp = [this](TControl&, TMouseButton button, int, int) { imgGradientMouseUp(button); };

    imgIcon = new TImage(this);
    imgIcon->SetParent(pnlBorder);
    imgIcon->SetBounds(3, 8, imgIcon->Width(), imgIcon->Height());
    imgIcon->OnMouseUp = [this](TControl&, TMouseButton button, int, int) { imgIconMouseUp(button); };

    lblText = new TMouseLabel(this);
    lblText->ShowAccelChar = false;
    lblText->Layout = TTextLayout::tlCenter;
    lblText->AutoSize = true;
    lblText->WordWrap = true;
    lblText->Transparent = true;
    lblText->SetBounds(9, 49, 3, 13);
    lblText->SetParent(pnlBorder);
    lblText->OnMouseEnter = [this](TControl&) { lblTextMouseEnter(); };
    lblText->OnMouseLeave = [this](TControl&) { lblTextMouseLeave(); };
    lblText->OnClick = [this](TControl&) { lblTextClick(); };
    lblText->OnMouseUp = [this](TControl&, TMouseButton button, int, int) { lblTextMouseUp(button); };

    lblTitle = new TMouseLabel(this);
    lblTitle->ShowAccelChar = false;
    lblTitle->Transparent = true;
    lblTitle->AutoSize = true;
    lblTitle->SetBounds(48, 8, lblTitle->Width(), lblTitle->Height());
    lblTitle->SetParent(pnlBorder);
    lblTitle->OnMouseUp = [this](TControl&, TMouseButton button, int, int) { lblTitleMouseUp(button); };

    tmrExit = new TTimer(this);
    tmrExit->SetEnabled(false);
    tmrExit->SetInterval(10000);
    tmrExit->OnTimer = [this](TTimer&) { tmrExitTimer(); };

    tmrScroll = new TTimer(this);
    tmrScroll->SetEnabled(false);
    tmrScroll->SetInterval(25);
    tmrScroll->OnTimer = [this](TTimer&) { tmrScrollTimer(); };

    tmrScrollDown = new TTimer(this);
    tmrScrollDown->SetEnabled(false);
    tmrScrollDown->SetInterval(25);
    tmrScrollDown->OnTimer = [this](TTimer&) { tmrscrollDownTimer(); };
}

TfrmSlidePopup::~TfrmSlidePopup()
{
    // The panel goes first, with our window still there to hold it.
    delete pnlBorder;
}

void TfrmSlidePopup::CreateParams(CreateParamsData& params)
{
    TForm::CreateParams(params);
    params.Style = (params.Style & ~WS_CAPTION) | WS_POPUP;
    const OSVERSIONINFOW version = RunningVersion();
    params.ExStyle |= WS_EX_TOOLWINDOW;
    if (!IsLegacyNT(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion))
        params.ExStyle |= WS_EX_NOACTIVATE;
    if (HasDropShadow(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion))
        params.ClassStyle |= CS_DROPSHADOW;
    params.WndParent = GetDesktopWindow();
}

void TfrmSlidePopup::TakeSettings(TSlidePopup& source)
{
    Source = &source;
    DefaultMonitor = source.DefaultMonitor;
    FullWidth = source.Width;
    FullHeight = source.Height;
    Text = source.Text;
    URL = source.URL;
    Title = source.Title;
    TimeOut = source.TimeOut;
    ScrollIn = (source.Options & spAllowScroll) != 0;
    Hyperlink = (source.Options & spAllowHyperlink) != 0;
    ScrollSpeed = source.ScrollSpeed();
    TextFont = &source.font_;
    HoverFont = &source.hoverFont_;
    TitleFont = &source.titleFont_;
    TextCursor = source.TextCursor;
    GradientColor1 = source.GradientColor1;
    GradientColor2 = source.GradientColor2;
    GradientOrientation = source.GradientOrientation;
    BackgroundDrawMethod = source.BackgroundDrawMethod;
    lblText->Alignment = source.TextAlignment;
    if (Hyperlink)
        lblText->SetLink(URL);
}

PopupSpacing TfrmSlidePopup::Spacing() const
{
    return Source ? PopupSpacing{Scale(Source->PopupStartX), Scale(Source->PopupStartY)} : PopupSpacing{};
}

void TfrmSlidePopup::MoveTo(const PopupBox& box)
{
    if (!(box == Box()))
        SetBounds(box.Left, box.Top, box.Width, box.Height);
}

void TfrmSlidePopup::LayOut()
{
    RECT client{};
    GetClientRect(Handle(), &client);
    pnlBorder->SetBounds(0, 0, client.right, client.bottom);
    const RECT inner = pnlBorder->InnerRect();
    const int strip = Scale(kStripHeight);
    imgStrip->SetBounds(inner.left, inner.bottom - strip, std::max(Width() - Scale(kStripMargin), 0), strip);
    imgGradient->SetBounds(inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top - strip);
}

void TfrmSlidePopup::Display()
{
    if (!Source)
        throw Exception("Oznámení nemá zdroj nastavení.");
    const PopupRect work = DesktopWorkArea();
    // Drawn for the monitor it appears on: the component's sizes are the 96-dpi design.
    ChangeScale(PopupDpi(work));
    FullWidth = Scale(FullWidth);
    FullHeight = Scale(FullHeight);
    ScrollSpeed = uint8_t(std::min(Scale(ScrollSpeed), 255));
    SetBounds(Left(), Top(), FullWidth, FullHeight);

    Edge = QueryTaskbarEdge();
    AutoFree = true;
    PlacedOffset = Source->stack_.Place((Source->Options & spCascadePopups) != 0, Edge, FullHeight,
                                        Scale(Source->PopupMarge));
    MoveTo(PlacePopup(Edge, work, Width(), Height(), Spacing(), PlacedOffset));

    // The window is made in its place, on the monitor it is drawn for.
    imgStrip = new TImage(this);
    imgStrip->Stretch = true;
    imgStrip->SetParent(pnlBorder);
    LayOut();
    lblText->Cursor = TextCursor;

    lblTitle->Font.Assign(*TitleFont);
    lblTitle->SetCaption(Title);
    // Not shown (there is no caption bar), but it names the window for screen readers and tools.
    SetCaption(Title);

    PaintBackgroundPicture();

    tmrExit->SetInterval(ExitIntervalMs(TimeOut));
    if (ScrollIn && Edge != EdgeUnknown) {
        MoveTo(SliverOf(Edge, Box()));
        tmrScroll->SetEnabled(true);
    } else {
        tmrExit->SetEnabled(true);
    }

    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetVisible(true);
    NotifyWinEvent(EVENT_SYSTEM_ALERT, Handle(), OBJID_CLIENT, CHILDID_SELF);

    lblText->Font.Assign(*HoverFont);
    CenterText();
    lblText->Font.Assign(*TextFont);
    CenterText();
}

LRESULT TfrmSlidePopup::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A popup keeps the DPI it appeared at for its short life: its slide is laid out for it.
    if (message == WM_DPICHANGED)
        return 0;
    return TForm::WndProc(message, wParam, lParam);
}

TAccessibleInfo TfrmSlidePopup::Accessible() const { return {ROLE_SYSTEM_ALERT, Title, Text}; }

void TfrmSlidePopup::PaintBackgroundPicture()
{
    const int width = imgGradient->Width();
    const int height = imgGradient->Height();
    TBitmap& background = Source->backgroundImage_;
    {
        TBitmapCanvas canvas(imgGradient->PictureToDrawOn());
        if (background.Empty()) {
            try {
                imgStrip->Picture.LoadFromResourceName(GetModuleHandleW(nullptr), StripResource(Dpi()));
            } catch (const Exception&) {
                // The popup goes without its strip.
            }
            PaintGradient(canvas.Handle(), width, height);
        } else {
            background.Transparent = true;
            switch (BackgroundDrawMethod) {
            case TSlideImageDrawMethod::dmActualSize:
                background.Draw(canvas.Handle(), 0, 0);
                break;
            case TSlideImageDrawMethod::dmTile:
                for (const PopupPoint& origin : TileOrigins(width, height, background.Width(), background.Height()))
                    background.Draw(canvas.Handle(), origin.X, origin.Y);
                break;
            case TSlideImageDrawMethod::dmFit:
                background.StretchDraw(canvas.Handle(), RECT{0, 0, width, height});
                break;
            }
        }
        TBitmap& icon = Source->iconBitmap_;
        if (icon.Empty()) {
            lblTitle->SetBounds(Scale(kTitleLeftWithoutIcon), lblTitle->Top(), lblTitle->Width(), lblTitle->Height());
        } else {
            icon.Transparent = true;
            icon.Draw(canvas.Handle(), Scale(Source->IconLeft), Scale(Source->IconTop));
        }
    }
    imgGradient->Invalidate();
    imgStrip->Invalidate();
}

void TfrmSlidePopup::PaintGradient(HDC dc, int width, int height) const
{
    const bool vertical = GradientOrientation == TOrientation::mbVertical;
    const int steps = vertical ? height : width;
    const COLORREF from = ColorToRGB(GradientColor1);
    const COLORREF to = ColorToRGB(GradientColor2);
    for (int i = 0; i <= steps; ++i) {
        PenHandle pen(CreatePen(PS_SOLID, 1, GradientStepColor(from, to, i, steps)));
        HGDIOBJ old = SelectObject(dc, pen.Get());
        if (vertical) {
            MoveToEx(dc, 0, i, nullptr);
            LineTo(dc, width, i);
        } else {
            MoveToEx(dc, i, 0, nullptr);
            LineTo(dc, i, height);
        }
        SelectObject(dc, old);
    }
}

void TfrmSlidePopup::CenterText()
{
    lblText->SetCaption(Text);
    lblText->SetBounds(lblText->Left(), lblText->Top(), pnlBorder->Width() - Scale(kTextMargin), lblText->Height());
    lblText->AdjustSize();
    lblText->SetBounds(CentredOffset(pnlBorder->Width(), lblText->Width()),
                       CentredOffset(pnlBorder->Height(), lblText->Height()), lblText->Width(),
                       lblText->Height());
}

void TfrmSlidePopup::tmrScrollTimer()
{
    if (!Source)
        return;
    const SlideStep step = SlideInStep(Edge, Box(), ScrollSpeed, FullWidth, FullHeight, DesktopWorkArea(),
                                       Spacing(), PlacedOffset);
    MoveTo(step.Box);
    if (step.Finished) {
        tmrScroll->SetEnabled(false);
        tmrExit->SetEnabled(true);
    }
}

void TfrmSlidePopup::tmrExitTimer()
{
    tmrExit->SetEnabled(false);
    tmrScrollDown->SetEnabled(true);
}

void TfrmSlidePopup::tmrscrollDownTimer()
{
    const SlideStep step = SlideOutStep(Edge, Box(), ScrollSpeed);
    if (step.Finished)
        Close();
    else
        MoveTo(step.Box);
}

void TfrmSlidePopup::lblTextMouseEnter()
{
    if (!Hyperlink || !HoverFont)
        return;
    lblText->SetHot(true);
    lblText->Font.Assign(*HoverFont);
    CenterText();
}

void TfrmSlidePopup::lblTextMouseLeave()
{
    if (!Hyperlink || !TextFont)
        return;
    lblText->SetHot(false);
    lblText->Font.Assign(*TextFont);
    CenterText();
}

void TfrmSlidePopup::lblTextClick()
{
    if (Source) {
        FlagOff handlerRuns(AutoFree);
        if (Hyperlink) {
            if (auto handler = Source->OnURLClick)
                handler(*this, URL);
            // Only a web or mail address: anything else the shell would run or open as it stands.
            if (Source && (Source->Options & spAutoOpenURL) && IsLinkAddress(URL))
                ShellExecuteUtf8(nullptr, nullptr, URL, SW_SHOWDEFAULT);
        } else if (auto handler = Source->OnClick) {
            handler(*this);
        }
    }
    Close();
}

void TfrmSlidePopup::ReportClick(TMouseButton button)
{
    if (!Source)
        return;
    // The right button only puts the popup away.
    if (auto handler = Source->OnClick; handler && button == TMouseButton::mbLeft) {
        FlagOff handlerRuns(AutoFree);
        handler(*Source);
    }
    if (Source && (Source->Options & spCloseOnClick))
        Close();
}

void TfrmSlidePopup::lblTextMouseUp(TMouseButton button)
{
    if (button == TMouseButton::mbRight)
        ReportClick(button);
}

void TfrmSlidePopup::lblTitleMouseUp(TMouseButton button) { ReportClick(button); }
void TfrmSlidePopup::imgIconMouseUp(TMouseButton button) { ReportClick(button); }
void TfrmSlidePopup::imgGradientMouseUp(TMouseButton button) { ReportClick(button); }

void TfrmSlidePopup::StopTimers()
{
    tmrExit->SetEnabled(false);
    tmrScroll->SetEnabled(false);
    tmrScrollDown->SetEnabled(false);
}

void TfrmSlidePopup::DoClose(TCloseAction& action)
{
    if (freeing_) {
        action = TCloseAction::caNone;
    } else if (AutoFree) {
        // Freed once: a second close before the release must not count again.
        freeing_ = true;
        StopTimers();
        if (Source)
            Source->stack_.Closed();
        action = TCloseAction::caFree;
    } else {
        action = TCloseAction::caHide;
    }
    TForm::DoClose(action);
}

void TfrmSlidePopup::Notification(TComponent* removed)
{
    TForm::Notification(removed);
    if (removed != Source || !Source)
        return;
    // Without its component the popup has nothing to report to: it goes.
    Source = nullptr;
    TextFont = HoverFont = TitleFont = nullptr;
    freeing_ = true;
    StopTimers();
    Release();
}
