#include <gtest/gtest.h>

#include "Application.h"
#include "Dpi.h"
#include "Text.h"
#include "Unit1.h"
#include "Win32Handle.h"
#include "WindowHook.h"

namespace {

// Whether the label shows anything when painted as high contrast paints it, on the window's colour.
bool ShowsInHighContrast(TLabel& label)
{
    HDC screen = GetDC(nullptr);
    MemoryDc dc(CreateCompatibleDC(screen));
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, label.Width(), label.Height()));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    {
        TCanvas canvas(dc.Get(), label.Dpi());
        canvas.FillRect(RECT{0, 0, label.Width(), label.Height()}, clWindow);
        label.PaintPlain(canvas);
    }
    bool shows = false;
    for (int y = 0; y < label.Height() && !shows; ++y)
        for (int x = 0; x < label.Width() && !shows; ++x)
            shows = GetPixel(dc.Get(), x, y) != window;
    SelectObject(dc.Get(), old);
    return shows;
}

} // namespace

// Every caption of the main window shows whole: each label is at least as large as its
// text in its font, and lies inside the window's client area. In high contrast every caption
// shows in the system's colours but Label4's, which is read, not seen, as on the black window.
TEST(MainWindow, NoLabelCutsItsText)
{
    TApplication application;
    application.SetTitle("Soriel labels test");
    auto* form = new TForm1(&application);
    form->LoadedTree();
    HDC screen = GetDC(nullptr);
    int labels = 0;
    for (TControl* control : form->Controls()) {
        auto* label = dynamic_cast<TLabel*>(control);
        if (!label)
            continue;
        ++labels;
        HGDIOBJ old = SelectObject(screen, label->Font.Handle());
        const std::wstring text = Widen(label->Caption());
        SIZE extent{};
        GetTextExtentPoint32W(screen, text.c_str(), int(text.size()), &extent);
        SelectObject(screen, old);
        EXPECT_GE(label->Width(), extent.cx) << label->Caption();
        EXPECT_GE(label->Height(), extent.cy) << label->Caption();
        EXPECT_LE(label->BoundsRect().right, 458) << label->Caption();
        EXPECT_EQ(ShowsInHighContrast(*label), label != form->Label4) << label->Caption();
    }
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(labels, 9) << "Label1 to Label4 and the five links";
    delete form;
}

// Windows' message for a window that crossed to a monitor of another DPI (Wine sends none): the
// window takes the suggested rectangle in one resize, every control its 96-dpi design scaled,
// and back at 96 every control is exactly where it was.
TEST(MainWindow, DpiChangeLaysTheWindowOutAgainAndBackWithoutDrift)
{
    TApplication application;
    application.SetTitle("Soriel dpi test");
    auto* form = new TForm1(&application);
    form->LoadedTree();
    const HWND window = form->Handle();
    ASSERT_EQ(form->Dpi(), 96) << "the test program runs at 96 dpi";
    std::vector<RECT> designed;
    for (TControl* control : form->Controls())
        designed.push_back(control->BoundsRect());
    const int titleHeight = form->Label1->Height();

    int resizes = 0;
    TWindowHook hook;
    hook.Attach(window, [&](UINT message, WPARAM, LPARAM) { resizes += message == WM_SIZE; });
    const struct {
        int dpi;
        RECT richEdit; // the log box, in the client area
        int clientWidth, clientHeight;
    } steps[] = {{192, {32, 160, 882, 690}, 916, 794}, {96, {16, 80, 441, 345}, 458, 397}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.dpi);
        // The system's frame around the client area, as Windows suggests it.
        RECT suggested = FrameForClient(step.clientWidth, step.clientHeight, GetWindowLongW(window, GWL_STYLE),
                                        GetWindowLongW(window, GWL_EXSTYLE), step.dpi);
        OffsetRect(&suggested, 40, 30);
        resizes = 0;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi), LPARAM(&suggested));
        EXPECT_EQ(resizes, 1);
        EXPECT_EQ(form->Dpi(), step.dpi);
        // Wine draws the frame at the DPI the process started with whatever the message says:
        // the window is measured by its rectangle, not its client area.
        RECT frame{};
        GetWindowRect(window, &frame);
        EXPECT_TRUE(EqualRect(&frame, &suggested));
        RECT box{};
        GetWindowRect(form->RichEdit->Handle(), &box);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_TRUE(EqualRect(&box, &step.richEdit))
            << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        EXPECT_NEAR(form->Label1->Height(), titleHeight * step.dpi / 96, 3);
    }
    for (size_t i = 0; i < designed.size(); ++i) {
        const RECT& now = form->Controls()[i]->BoundsRect();
        EXPECT_TRUE(EqualRect(&now, &designed[i])) << form->Controls()[i]->Caption();
    }
    hook.Detach();
    delete form;
}
