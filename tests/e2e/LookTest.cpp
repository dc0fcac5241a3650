#include <gtest/gtest.h>

#include "ProgramUnderTest.h"

namespace {

// A pixel of the window's client area as the screen shows it.
COLORREF ClientPixel(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return seen;
}

} // namespace

// The backdrop on screen: yellow along the top edge, red at row 44, black from row 88
// down (read in the left margin, where no control covers it).
TEST(Look, ShownWindowIsYellowAtTheTopAndBlackInTheLowerHalf)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return program.DoubleClickTrayIcon(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return ClientPixel(main, 300, 0) == RGB(255, 255, 0); }, 10000))
        << std::hex << ClientPixel(main, 300, 0);
    for (int x : {0, 200, 457})
        EXPECT_EQ(ClientPixel(main, x, 0), RGB(255, 255, 0)) << x;
    EXPECT_EQ(ClientPixel(main, 2, 44), RGB(255, 0, 0));
    for (int y = 88; y < 397; y += 22)
        EXPECT_EQ(ClientPixel(main, 2, y), RGB(0, 0, 0)) << y;
    ASSERT_TRUE(program.Exit());
}
