#include <gtest/gtest.h>

#include <oleacc.h>

#include "ClientPixel.h"
#include "ProgramUnderTest.h"

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

// What a screen reader reads of the shown window, across processes; and a real Tab key.
TEST(Look, LinksAreReadAsLinksAndTabBringsTheFocusToTheTopmostOne)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources + "MakerURL=http://example.invalid/maker\r\n");
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return program.DoubleClickTrayIcon(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 10000));

    std::vector<AccessibleElement> elements = ReadAccessible(main);
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements[0].role, ROLE_SYSTEM_CLIENT);
    std::vector<std::string> links;
    for (const AccessibleElement& element : elements)
        if (element.role == ROLE_SYSTEM_LINK)
            links.push_back(element.name);
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0], "http://example.invalid/maker");
    EXPECT_EQ(links[1].rfind("email: ", 0), 0u) << links[1];
    EXPECT_EQ(links[2].rfind("zdroj: ", 0), 0u) << links[2];
    EXPECT_EQ(elements[2].name, links[1]);
    EXPECT_EQ(elements[2].value.rfind("mailto:", 0), 0u) << "the address is the link's value";

    INPUT tab[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
    tab[0].ki.wVk = tab[1].ki.wVk = VK_TAB;
    tab[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, tab, sizeof(INPUT));
    const auto focusedName = [&] {
        for (const AccessibleElement& element : ReadAccessible(main))
            if (element.state & STATE_SYSTEM_FOCUSED)
                return element.name;
        return std::string();
    };
    EXPECT_TRUE(WaitUntil([&] { return focusedName() == links[2]; }, 5000)) << focusedName();
    ASSERT_TRUE(program.Exit());
}
