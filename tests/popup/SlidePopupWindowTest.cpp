#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "NewsPopup.h"
#include "OpenedMarker.h"
#include "PopupGradient.h"
#include "PopupWindowTestSupport.h"
#include "WindowsVersionRules.h"

namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point start)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class PopupWindow : public ::testing::Test {
protected:
    PopupWindow() { ConfigureNewsPopup(*popup); }

    TfrmSlidePopup& ShowOne()
    {
        const size_t before = PopupWindows(owner).size();
        EXPECT_TRUE(popup->ShowNotification());
        const auto windows = PopupWindows(owner);
        EXPECT_EQ(windows.size(), before + 1);
        return *windows.back();
    }

    // The news popup at full size at once, staying until clicked.
    void StandStill()
    {
        popup->Options &= ~spAllowScroll;
        popup->TimeOut = 0;
    }

    TComponent owner{nullptr};
    TSlidePopup* popup = new TSlidePopup(&owner);
    const PopupRect work = DesktopWorkArea();
};

TEST_F(PopupWindow, NewsPopupSlidesInStaysAndSlidesOut)
{
    popup->TimeOut = 1;
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    const int left = work.Right - 200 - 16;
    const int bottom = work.Bottom - 2;

    // A one-pixel sliver at the bottom-right corner of the work area, shown.
    RECT rect = ScreenRect(handle);
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, bottom);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 1);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(popup->OpenCount(), 1);

    // Grows upward by 9 pixels a tick, its bottom where the sliver was.
    const auto shown = Clock::now();
    std::set<int> heights;
    ASSERT_TRUE(PumpUntil(
        [&] {
            rect = ScreenRect(handle);
            const int height = rect.bottom - rect.top;
            heights.insert(height);
            if (height < 300) {
                EXPECT_EQ((height - 1) % 9, 0) << height;
                EXPECT_EQ(rect.bottom, bottom + 1);
            }
            EXPECT_EQ(rect.left, left);
            return height == 300;
        },
        5000));
    const int growMs = MsSince(shown);
    EXPECT_LT(growMs, 3000) << "34 ticks of 25 ms";
    EXPECT_GE(heights.size(), 5u) << "seen growing, not jumping";
    EXPECT_EQ(rect.top, bottom - 300);
    EXPECT_EQ(rect.bottom, bottom);

    // Stays TimeOut seconds, then shrinks downward and goes.
    const auto full = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return ScreenRect(handle).bottom - ScreenRect(handle).top < 300; }, 5000));
    EXPECT_GE(MsSince(full), 900);
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!IsWindow(handle))
                return true;
            rect = ScreenRect(handle);
            EXPECT_EQ((300 - (rect.bottom - rect.top)) % 9, 0);
            EXPECT_EQ(rect.bottom, bottom);
            return false;
        },
        5000));
    EXPECT_EQ(popup->OpenCount(), 0);
    EXPECT_TRUE(PopupWindows(owner).empty());
}

TEST_F(PopupWindow, IsACaptionlessTopMostToolWindowThatTakesNoFocus)
{
    HWND before = GetForegroundWindow();
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    OSVERSIONINFOW version{sizeof(version)};
    GetVersionExW(&version);
    const bool shadow = (GetClassLongPtrW(handle, GCL_STYLE) & CS_DROPSHADOW) != 0;
    EXPECT_EQ(shadow, HasDropShadow(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion));
    EXPECT_NE(GetForegroundWindow(), handle);
    EXPECT_EQ(GetForegroundWindow(), before);
    EXPECT_EQ(GetParent(handle), nullptr) << "owned by no window of ours";
}

TEST_F(PopupWindow, ClickOnTheTextClosesAtOnce)
{
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    const auto clicked = Clock::now();
    LeftClick(*window.lblText);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_LT(MsSince(clicked), 500);
    EXPECT_EQ(popup->OpenCount(), 0);
    EXPECT_TRUE(PopupWindows(owner).empty());
}

TEST_F(PopupWindow, TimeOutZeroKeepsThePopupUntilClicked)
{
    popup->TimeOut = 0;
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    ASSERT_TRUE(PumpUntil([&] { return ScreenRect(handle).bottom - ScreenRect(handle).top == 300; }, 5000));
    PumpFor(1500);
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(ScreenRect(handle).bottom - ScreenRect(handle).top, 300);
    LeftClick(*window.lblTitle);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_EQ(popup->OpenCount(), 0);
}

TEST_F(PopupWindow, ShowsRedToYellowWithTheColourStripAtTheBottom)
{
    StandStill();
    popup->Text = "x";
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpFor(100);
    const WindowPicture picture(handle);

    TImage& gradient = *window.imgGradient;
    const int lines = gradient.Height();
    const int x = gradient.Width() / 2;
    EXPECT_EQ(picture.At(OnScreen(gradient, x, 0)), RGB(255, 0, 0));
    const COLORREF lastLine = picture.At(OnScreen(gradient, x, lines - 1));
    EXPECT_EQ(lastLine, COLORREF(GradientStepColor(RGB(255, 0, 0), RGB(255, 255, 0), lines - 1, lines)));
    EXPECT_EQ(GetRValue(lastLine), 255);
    EXPECT_GE(GetGValue(lastLine), 250);
    EXPECT_EQ(GetBValue(lastLine), 0);
    const int quarter = lines / 4;
    EXPECT_EQ(picture.At(OnScreen(gradient, x, quarter)),
              COLORREF(GradientStepColor(RGB(255, 0, 0), RGB(255, 255, 0), quarter, lines)));

    // The strip: three rows under the gradient, four colour blocks stretched to its width.
    TImage& strip = *window.imgStrip;
    EXPECT_EQ(strip.Top(), gradient.Top() + lines);
    EXPECT_EQ(strip.Width(), 190);
    EXPECT_EQ(strip.Height(), 3);
    const int blockCentres[4] = {36, 83, 105, 127};
    const COLORREF rows[3][4] = {
        {RGB(0xFF, 0xFF, 0x33), RGB(0xF7, 0xA3, 0x10), RGB(0x33, 0x99, 0xCC), RGB(0x99, 0xCC, 0x99)},
        {RGB(0xFB, 0xDA, 0x30), RGB(0xFF, 0x00, 0x00), RGB(0x33, 0x66, 0xCC), RGB(0x73, 0xBC, 0x88)},
        {RGB(0xFF, 0xCC, 0x33), RGB(0xCC, 0x00, 0x00), RGB(0x2B, 0x29, 0x90), RGB(0x0F, 0x8D, 0x30)},
    };
    for (int row = 0; row < 3; ++row)
        for (int block = 0; block < 4; ++block)
            EXPECT_EQ(picture.At(OnScreen(strip, blockCentres[block] * strip.Width() / 138, row)), rows[row][block])
                << "row " << row << " block " << block;
}

// Wine cannot switch high contrast on: the test sets the program's idea of it.
TEST_F(PopupWindow, InHighContrastShowsItsTextInTheSystemsColoursWithoutGradientOrStrip)
{
    StandStill();
    popup->Text = "x";
    SetHighContrastOn(true);
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpFor(100);
    const WindowPicture picture(handle);
    SetHighContrastOn(false);

    TImage& gradient = *window.imgGradient;
    EXPECT_EQ(picture.At(OnScreen(gradient, gradient.Width() / 2, 0)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(picture.At(OnScreen(gradient, gradient.Width() / 2, gradient.Height() - 1)), GetSysColor(COLOR_WINDOW));
    TImage& strip = *window.imgStrip;
    EXPECT_EQ(picture.At(OnScreen(strip, strip.Width() / 2, 1)), GetSysColor(COLOR_WINDOW));
    bool titleInWindowText = false;
    TControl& title = *window.lblTitle;
    for (int y = 0; y < title.Height(); ++y)
        for (int x = 0; x < title.Width(); ++x)
            titleInWindowText |= picture.At(OnScreen(title, x, y)) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(titleInWindowText);
}

TEST_F(PopupWindow, TextIsCentredInTheTextFontAndTheTitleMovesLeftWithoutIcon)
{
    StandStill();
    popup->Text = "Jedna dvě tři čtyři pět šest sedm osm devět deset jedenáct dvanáct třináct";
    TfrmSlidePopup& window = ShowOne();
    TMouseLabel& text = *window.lblText;
    EXPECT_EQ(text.Caption(), popup->Text);
    EXPECT_EQ(text.Font.Name, "Tahoma");
    EXPECT_EQ(text.Font.Height, -13);
    EXPECT_EQ(text.Width(), window.pnlBorder->Width() - 15);
    EXPECT_EQ(text.Left(), 8);
    EXPECT_GT(text.Height(), 20) << "wrapped onto several lines";
    EXPECT_EQ(text.Top(), CentredOffset(window.pnlBorder->Height(), text.Height()));
    EXPECT_EQ(window.lblTitle->Caption(), "title");
    EXPECT_EQ(window.lblTitle->Left(), 8);
    EXPECT_EQ(window.lblTitle->Top(), 8);
    EXPECT_EQ(window.lblTitle->Font.Style, TFontStyles(fsBold));
    EXPECT_EQ(window.lblTitle->Font.Color, clWhite);
}

TEST_F(PopupWindow, SettingsChangedAfterTheShowDoNotReachAnOpenPopup)
{
    StandStill();
    popup->Text = "first";
    TfrmSlidePopup& window = ShowOne();
    popup->Text = "second";
    popup->Title = "other";
    popup->Height = 100;
    window.CenterText();
    EXPECT_EQ(window.lblText->Caption(), "first");
    EXPECT_EQ(ScreenRect(window.Handle()).bottom - ScreenRect(window.Handle()).top, 300);
}

TEST_F(PopupWindow, CascadingStacksUntilTheWorkAreaIsFullAndRestartsWhenAllClosed)
{
    StandStill();
    popup->Options |= spCascadePopups;
    popup->Height = 121;
    std::vector<HWND> shown;
    while (popup->ShowNotification()) {
        shown.push_back(PopupWindows(owner).back()->Handle());
        ASSERT_LT(shown.size(), 100u);
    }
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(popup->OpenCount(), int(shown.size()));
    EXPECT_EQ(ScreenRect(shown[0]).top - ScreenRect(shown[1]).top, 123);
    for (HWND handle : shown)
        EXPECT_GE(ScreenRect(handle).top, work.Top);
    // The refused one would have started above the work area.
    EXPECT_LT(ScreenRect(shown.back()).top - 123, work.Top);
    EXPECT_EQ(PopupWindows(owner).size(), shown.size()) << "a refusal makes no window";

    const LONG firstTop = ScreenRect(shown[0]).top;
    for (TfrmSlidePopup* window : PopupWindows(owner))
        LeftClick(*window->lblText);
    ASSERT_TRUE(PumpUntil([&] { return PopupWindows(owner).empty(); }, 3000));
    EXPECT_EQ(popup->OpenCount(), 0);
    TfrmSlidePopup& again = ShowOne();
    EXPECT_EQ(ScreenRect(again.Handle()).top, firstTop);
}

TEST_F(PopupWindow, WithoutCascadingPopupsCoverEachOther)
{
    StandStill();
    TfrmSlidePopup& first = ShowOne();
    TfrmSlidePopup& second = ShowOne();
    EXPECT_EQ(ScreenRect(first.Handle()).top, ScreenRect(second.Handle()).top);
    EXPECT_EQ(popup->StackOffset(), 0);
    EXPECT_EQ(popup->OpenCount(), 2);
}

TEST_F(PopupWindow, CloseWhileAHandlerRunsOnlyHidesAndCountsOnce)
{
    StandStill();
    popup->Options &= ~spAllowHyperlink;
    ShowOne();
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    bool hiddenButAlive = false;
    int countDuringHandler = -1;
    TComponent* sender = nullptr;
    popup->OnClick = [&](TComponent& from) {
        sender = &from;
        static_cast<TForm&>(from).Close();
        hiddenButAlive = IsWindow(handle) && !IsWindowVisible(handle);
        countDuringHandler = popup->OpenCount();
    };
    LeftClick(*window.lblText);
    EXPECT_EQ(sender, &window);
    EXPECT_TRUE(hiddenButAlive);
    EXPECT_EQ(countDuringHandler, 2);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_EQ(popup->OpenCount(), 1);
}

TEST_F(PopupWindow, OnlyALeftClickBesideTheTextIsReportedAndOtherClicksCloseOnlyWithCloseOnClick)
{
    StandStill();
    popup->Options &= ~(spCloseOnClick | spAllowHyperlink);
    std::vector<TComponent*> senders;
    popup->OnClick = [&](TComponent& from) { senders.push_back(&from); };
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();

    LeftClick(*window.lblTitle);
    RightClick(*window.imgGradient);
    RightClick(*window.lblText);
    PumpFor(200);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(senders, std::vector<TComponent*>{popup}) << "a right click only puts the popup away";

    // A left click on the text closes whatever the option says.
    LeftClick(*window.lblText);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_EQ(senders.back(), static_cast<TComponent*>(&window));

    popup->Options |= spCloseOnClick;
    TfrmSlidePopup& next = ShowOne();
    HWND nextHandle = next.Handle();
    RightClick(*next.imgGradient);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(nextHandle); }, 2000));
    EXPECT_EQ(senders.size(), 2u);
    EXPECT_EQ(popup->OpenCount(), 0);
}

TEST_F(PopupWindow, HyperlinkTextSwitchesToTheHoverFontAndReportsItsAddress)
{
    StandStill();
    popup->Options = spAllowHyperlink | spCloseOnClick;
    popup->URL = "http://127.0.0.1/zpravy";
    std::string clickedUrl;
    TComponent* urlSender = nullptr;
    bool plainClick = false;
    popup->OnURLClick = [&](TComponent& from, const std::string& url) {
        urlSender = &from;
        clickedUrl = url;
    };
    popup->OnClick = [&](TComponent&) { plainClick = true; };
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    TMouseLabel& text = *window.lblText;

    MouseMoveTo(*window.pnlBorder, text.Left() + 2, text.Top() + 2);
    EXPECT_EQ(text.Font.Color, clBlue);
    EXPECT_EQ(text.Font.Style, TFontStyles(fsUnderline));
    EXPECT_EQ(text.Left(), 8) << "re-centred";
    MouseMoveTo(*window.pnlBorder, 1, 1);
    EXPECT_EQ(text.Font.Name, "Tahoma");
    EXPECT_EQ(text.Font.Style, TFontStyles(0));

    // The popup uses the component's fonts themselves: a later change shows at the next switch.
    popup->HoverFont().Color = clRed;
    MouseMoveTo(*window.pnlBorder, text.Left() + 2, text.Top() + 2);
    EXPECT_EQ(text.Font.Color, clRed);

    LeftClick(text);
    EXPECT_EQ(clickedUrl, "http://127.0.0.1/zpravy");
    EXPECT_EQ(urlSender, static_cast<TComponent*>(&window));
    EXPECT_FALSE(plainClick);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
}

// The news popup's text is its link: under the pointer underlined in its own font, so that
// it keeps its lines, and in the hot-track colour in high contrast. It opens only a web or
// mail address: a program's path is left alone, also when a reader asks for the link's action.
// Wine cannot switch high contrast on: the test sets the program's idea of it.
TEST_F(PopupWindow, NewsTextIsALinkUnderlinedInItsOwnFontThatOpensOnlyALinkAddress)
{
    StandStill();
    const OpenedMarker program;
    popup->URL = Narrow(program.script);
    popup->Text = "Jedna dvě tři čtyři pět šest sedm osm devět deset jedenáct dvanáct třináct";
    SetHighContrastOn(true);
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    TMouseLabel& text = *window.lblText;
    const RECT lines = text.BoundsRect();

    MouseMoveTo(*window.pnlBorder, text.Left() + 2, text.Top() + 2);
    EXPECT_EQ(text.Font.Name, "Tahoma");
    EXPECT_EQ(text.Font.Height, -13);
    EXPECT_EQ(text.Font.Style, TFontStyles(fsUnderline));
    EXPECT_TRUE(EqualRect(&text.BoundsRect(), &lines)) << "wrapped and placed as before";
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(100);
    const WindowPicture picture(handle);
    SetHighContrastOn(false);
    ASSERT_NE(GetSysColor(COLOR_HOTLIGHT), GetSysColor(COLOR_WINDOWTEXT));
    int hot = 0;
    for (int y = 0; y < text.Height(); ++y)
        for (int x = 0; x < text.Width(); ++x)
            hot += picture.At(OnScreen(text, x, y)) == GetSysColor(COLOR_HOTLIGHT);
    EXPECT_GT(hot, 50);

    text.DoDefaultAction();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_FALSE(PumpUntil([&] { return program.Opened(); }, 2000)) << "a program's path is no link";
}

TEST_F(PopupWindow, WithoutHyperlinkModeHoverChangesNothing)
{
    StandStill();
    popup->Options &= ~spAllowHyperlink;
    TfrmSlidePopup& window = ShowOne();
    TMouseLabel& text = *window.lblText;
    MouseMoveTo(*window.pnlBorder, text.Left() + 2, text.Top() + 2);
    EXPECT_EQ(text.Font.Name, "Tahoma");
    EXPECT_EQ(text.Font.Style, TFontStyles(0));
}

TEST_F(PopupWindow, RemovedComponentTakesItsPopupsAlong)
{
    StandStill();
    TfrmSlidePopup& window = ShowOne();
    HWND handle = window.Handle();
    delete popup;
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
    EXPECT_TRUE(PopupWindows(owner).empty());
}

} // namespace
