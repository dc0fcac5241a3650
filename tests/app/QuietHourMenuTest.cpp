#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Application.h"
#include "MenuCommands.h"
#include "Unit1.h"
#include "Waiting.h"

namespace {

// Once the tray menu is open: presses Down until the item of the command is highlighted and
// Enter then, writing down where the item stands and whether it had its check mark.
struct KeyboardChooser {
    static inline UINT command = 0;
    static inline int presses = 0;
    static inline bool checked = false;
    static inline std::vector<UINT> order;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (!menu || !IsWindowVisible(menu))
            return;
        auto handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        MENUITEMINFOW item{sizeof item};
        item.fMask = MIIM_STATE;
        GetMenuItemInfoW(handle, command, FALSE, &item);
        if (!(item.fState & MFS_HILITE) && ++presses <= 10) {
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            return;
        }
        KillTimer(nullptr, timer);
        checked = (item.fState & MFS_CHECKED) != 0;
        order.clear();
        for (int i = 0; i < GetMenuItemCount(handle); ++i)
            order.push_back(GetMenuItemID(handle, i));
        PostMessageW(menu, WM_KEYDOWN, (item.fState & MFS_HILITE) ? VK_RETURN : VK_ESCAPE, 0);
    }

    static void Choose(TForm1& form, UINT chosen)
    {
        command = chosen;
        presses = 0;
        SetTimer(nullptr, 0, 50, &Tick);
        form.TrayIcon->ShowMenuAtCursor();
    }
};

// The tip's end an hour on the clock's face from a local time (in the hour summer time begins
// or ends the program's right and this is not).
std::string TipAnHourAfter(const SYSTEMTIME& local)
{
    char text[32];
    snprintf(text, sizeof text, "Ztlumeno do %02d:%02d", (local.wHour + 1) % 24, local.wMinute);
    return text;
}

} // namespace

// Wine's accessibility layer does not read another process's menus: the menu is looked at
// here, in the program's own process, as the system shows it.
TEST(MainWindow, QuietHourIsChosenByKeyboardAndShowsItsCheckMarkAndItsEndInTheTrayTip)
{
    TApplication application;
    application.SetTitle("Soriel quiet hour test");
    auto* form = new TForm1(&application);
    form->LoadedTree();

    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    KeyboardChooser::Choose(*form, cmdQuietHour);
    ASSERT_TRUE(PumpUntil([&] { return form->Ztlumitnahodinu1->Checked; }, 5000));
    GetLocalTime(&after);
    EXPECT_FALSE(KeyboardChooser::checked);
    const std::vector<UINT>& order = KeyboardChooser::order;
    const auto at = [&](UINT command) { return std::find(order.begin(), order.end(), command) - order.begin(); };
    EXPECT_EQ(at(cmdQuietHour), at(cmdCurrentNews) + 1) << "after \"Zobrazit aktuální zprávu\"";
    EXPECT_LT(at(cmdQuietHour), at(cmdExit)) << "before \"Konec\"";
    const std::string tip = form->TrayIcon->Hint();
    EXPECT_TRUE(tip == TipAnHourAfter(before) || tip == TipAnHourAfter(after)) << tip;

    // Chosen again while it lasts: it ends, and the tip is the window's caption again.
    KeyboardChooser::Choose(*form, cmdQuietHour);
    ASSERT_TRUE(PumpUntil([&] { return !form->Ztlumitnahodinu1->Checked; }, 5000));
    EXPECT_TRUE(KeyboardChooser::checked) << "the menu's own check mark while it lasted";
    EXPECT_EQ(form->TrayIcon->Hint(), form->Caption());
    delete form;
}
