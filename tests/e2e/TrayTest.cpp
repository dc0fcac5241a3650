#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include "ProgramUnderTest.h"
#include "Text.h"

TEST(Tray, ProgramStartsHiddenInTheTrayAndDoubleClickShowsIt)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND tray = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (tray = program.FindWindowOfClass(L"SorielTrayIcon")) != nullptr; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return TrayIconPresent(tray); }, 10000));
    EXPECT_FALSE(IsWindowVisible(main));
    // Start-up puts the version into the caption.
    EXPECT_TRUE(
        WaitUntil([&] { return Narrow(program.WindowText(main)) == "Soriel online " PROJECT_VERSION_TEXT; }, 10000))
        << Narrow(program.WindowText(main));

    // The shell loses the entry: the next status tick (every 2 s) puts it back.
    NOTIFYICONDATAW entry{};
    entry.cbSize = sizeof(entry);
    entry.hWnd = tray;
    entry.uID = kIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &entry));
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(tray); }, 3000));

    ASSERT_TRUE(program.DoubleClickTrayIcon());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

    // Minimizing puts it back into the tray: no window, no taskbar button, the icon stays.
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    HWND application = program.FindWindowOfClass(L"SorielApplication");
    ASSERT_NE(application, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && !IsWindowVisible(application); }, 10000));
    EXPECT_TRUE(TrayIconPresent(tray));

    // By keyboard, as the shell reports it: Enter on the icon shows the window, the
    // context-menu key opens the menu (Wine's notification area takes no keyboard focus).
    PostMessageW(tray, RunningProgram::kTrayCallback, kIconId, NIN_KEYSELECT);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));
    PostMessageW(tray, RunningProgram::kTrayCallback, kIconId, WM_CONTEXTMENU);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 10000));
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));

    ASSERT_TRUE(program.Exit());
    EXPECT_FALSE(TrayIconPresent(tray));
    EXPECT_EQ(folder.Read(L"main.ini"), kQuietSources + "[Settings]\r\nSound=1\r\n");
    EXPECT_TRUE(folder.Exists(L"news.rtf"));
}

TEST(Tray, SecondCopyBringsTheFirstForwardAndEndsWithoutTouchingTheFiles)
{
    ProgramFolder folder;
    const std::string ini = kQuietSources + "[Settings]\r\nSound=0\r\n";
    const std::string log = "{\\rtf1\\ansi staré zprávy\\par}";
    folder.Write(L"main.ini", ini);
    folder.Write(L"news.rtf", log);
    RunningProgram first(folder);
    HWND main = first.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND application = first.FindWindowOfClass(L"SorielApplication");
    ShowWindow(application, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(application) != FALSE; }, 10000));

    RunningProgram second(folder, {.asSecondCopy = true});
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(application); }, 10000));
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(folder.Read(L"main.ini"), ini);
    EXPECT_EQ(folder.Read(L"news.rtf"), log);
    ASSERT_TRUE(first.Exit());
}
