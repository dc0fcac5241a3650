#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Application.h"
#include "TrayObserver.h"
#include "TrayTestSupport.h"
#include "Waiting.h"

namespace {

// An icon on a plain owner that writes down its events and when they came.
struct TrayEvents : ::testing::Test {
    TComponent owner{nullptr};
    TTrayIcon* icon = new TTrayIcon(&owner);
    std::vector<std::string> events;
    ULONGLONG start = GetTickCount64();
    ULONGLONG clickAt = 0;

    void SetUp() override
    {
        icon->OnMouseDown = [this](TTrayIcon&, TMouseButton button, TShiftState shift, int, int) {
            events.push_back(std::string("down ") + Name(button) + ((shift & ButtonFlag(button)) ? "" : " (no flag)"));
        };
        icon->OnMouseUp = [this](TTrayIcon&, TMouseButton button, TShiftState, int, int) {
            events.push_back(std::string("up ") + Name(button));
        };
        icon->OnClick = [this](TTrayIcon&) {
            events.push_back("click");
            clickAt = GetTickCount64();
        };
        icon->OnDblClick = [this](TTrayIcon&) { events.push_back("dblclick"); };
        icon->OnBalloonHintClick = [this](TTrayIcon&) { events.push_back("balloon click"); };
        icon->OnBalloonHintHide = [this](TTrayIcon&) { events.push_back("balloon hide"); };
        icon->OnBalloonHintTimeout = [this](TTrayIcon&) { events.push_back("balloon timeout"); };
    }

    static const char* Name(TMouseButton button)
    {
        return button == TMouseButton::mbLeft ? "left" : button == TMouseButton::mbRight ? "right" : "middle";
    }
    static TShiftState ButtonFlag(TMouseButton button)
    {
        return button == TMouseButton::mbLeft ? ssLeft : button == TMouseButton::mbRight ? ssRight : ssMiddle;
    }
    // Handles the callbacks and what they start, to well past one double-click time.
    void Settle() { PumpFor(GetDoubleClickTime() + 300); }
};

using Events = std::vector<std::string>;

TEST_F(TrayEvents, SingleClickComesOneDoubleClickTimeAfterThePress)
{
    SendTrayCallback(*icon, WM_LBUTTONDOWN);
    SendTrayCallback(*icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (Events{"down left", "up left"})) << "the click waits";
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events.back(), "click");
    EXPECT_GE(clickAt - start + 30, GetDoubleClickTime()) << "no earlier than one double-click time";
}

TEST_F(TrayEvents, DoubleClickRaisesNoClick)
{
    for (UINT code : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendTrayCallback(*icon, code);
    Settle();
    EXPECT_EQ(events, (Events{"down left", "up left", "dblclick", "up left"}));
}

TEST_F(TrayEvents, WithoutDoubleClickHandlerTheClickComesAtOnce)
{
    icon->OnDblClick = nullptr;
    SendTrayCallback(*icon, WM_LBUTTONDOWN);
    SendTrayCallback(*icon, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events, (Events{"down left", "click", "up left"}));
    EXPECT_LT(clickAt - start, GetDoubleClickTime());
}

TEST_F(TrayEvents, OtherButtonsReportWithTheirFlags)
{
    for (UINT code : {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONUP})
        SendTrayCallback(*icon, code);
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events, (Events{"down middle", "up middle", "up right"}));
}

TEST_F(TrayEvents, DisabledIconIgnoresTheMouseButPassesBalloonReports)
{
    icon->Enabled = false;
    for (UINT code : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN,
                      WM_MOUSEMOVE})
        SendTrayCallback(*icon, code);
    for (UINT code : {NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK})
        SendTrayCallback(*icon, code);
    Settle();
    EXPECT_EQ(events, (Events{"balloon hide", "balloon timeout", "balloon click"}));
}

TEST_F(TrayEvents, EnterAndExitFollowTheCursor)
{
    int enters = 0, exits = 0, moves = 0;
    icon->OnMouseEnter = [&](TTrayIcon&) { ++enters; };
    icon->OnMouseExit = [&](TTrayIcon&) { ++exits; };
    icon->OnMouseMove = [&](TTrayIcon&, TShiftState, int, int) { ++moves; };

    SetCursorPos(100, 100);
    SendTrayCallback(*icon, WM_MOUSEMOVE);
    ASSERT_TRUE(PumpUntil([&] { return moves == 1; }));
    EXPECT_EQ(enters, 0) << "not wanted yet";

    icon->SetWantEnterExitEvents(true);
    SendTrayCallback(*icon, WM_MOUSEMOVE);
    SendTrayCallback(*icon, WM_MOUSEMOVE);
    ASSERT_TRUE(PumpUntil([&] { return moves == 3; }));
    EXPECT_EQ(enters, 1);
    PumpFor(100);
    EXPECT_EQ(exits, 0) << "the cursor is still where the shell saw it";

    SetCursorPos(300, 200);
    EXPECT_TRUE(PumpUntil([&] { return exits == 1; }, 1000));
    icon->SetWantEnterExitEvents(false);
}

TEST_F(TrayEvents, CyclingStepsThroughTheImagesAndReportsTheNextIndex)
{
    icon->SetIconList(MakeImageList(&owner));
    std::vector<int> next;
    std::vector<COLORREF> shown;
    icon->OnCycle = [&](TTrayIcon& sender, int nextIndex) {
        next.push_back(nextIndex);
        shown.push_back(IconColour(sender.Icon().Handle()).value_or(0));
    };
    icon->SetCycleInterval(20);
    icon->SetCycleIcons(true);
    ASSERT_TRUE(PumpUntil([&] { return next.size() >= 4; }));
    icon->SetCycleIcons(false);
    next.resize(4);
    shown.resize(4);
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(shown, (std::vector<COLORREF>{kImageColours[0], kImageColours[1], kImageColours[2], kImageColours[0]}));
}

// Chooses the menu's item once the menu is open: writes down its items, then picks one.
struct MenuChooser {
    static inline std::vector<std::wstring> seen;
    static inline int downs = 0;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (!menu || !IsWindowVisible(menu))
            return;
        KillTimer(nullptr, timer);
        auto handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(handle); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(handle, UINT(i), text, 64, MF_BYPOSITION);
            seen.push_back(text);
        }
        for (int i = 0; i < downs; ++i)
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
};

// An item that is not visible is not in the menu, a disabled one is shown; neither runs by its
// command number.
TEST(TrayMenu, RightPressOpensTheMenuAtTheCursorAndRunsTheChosenItem)
{
    auto* form = Application->CreateForm<TrayForm>();
    TMenuItem* hidden = form->Menu->Add("Skrytá");
    hidden->Visible = false;
    TMenuItem* disabled = form->Menu->Add("Zakázaná");
    disabled->Enabled = false;
    for (TMenuItem* item : {hidden, disabled})
        item->OnClick = [form](TMenuItem& item) { form->Clicked.push_back(item.Caption); };
    std::vector<std::string> order;
    form->Tray->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { order.push_back("down"); };
    MenuChooser::seen.clear();
    MenuChooser::downs = 4; // past the separator: "Konec"
    SetTimer(nullptr, 0, 50, &MenuChooser::Tick);

    SendTrayCallback(*form->Tray, WM_RBUTTONDOWN);
    EXPECT_TRUE(PumpUntil([&] { return !form->Clicked.empty(); }));
    EXPECT_EQ(order, std::vector<std::string>{"down"});
    EXPECT_EQ(MenuChooser::seen, (std::vector<std::wstring>{L"O programu", L"", L"Soriel 3 - stránky",
                                                             L"Zobrazit aktuální zprávu", L"Konec", L"Zakázaná"}));
    EXPECT_EQ(form->Clicked, std::vector<std::string>{"Konec"});
    EXPECT_FALSE(TMenuItem::DispatchCommand(hidden->Command()));
    EXPECT_FALSE(TMenuItem::DispatchCommand(disabled->Command()));
    EXPECT_EQ(form->Clicked, std::vector<std::string>{"Konec"});
    delete form;
}

TEST(TrayMenu, NoMenuOpensWithoutOneOrWithoutItsAutomaticPopup)
{
    auto* form = Application->CreateForm<TrayForm>();
    form->Menu->AutoPopup = false;
    SendTrayCallback(*form->Tray, WM_RBUTTONDOWN);
    PumpFor(200);
    HWND menu = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu)) << "automatic popup off";

    form->Tray->PopupMenu = nullptr;
    SendTrayCallback(*form->Tray, WM_RBUTTONDOWN);
    PumpFor(200);
    menu = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu)) << "no menu";
    delete form;
}

TEST(TrayMenu, DoubleClickRunsTheFirstDefaultItem)
{
    auto* form = Application->CreateForm<TrayForm>();
    form->Exit->Default = true;
    form->About->Default = true;
    SendTrayCallback(*form->Tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(PumpUntil([&] { return !form->Clicked.empty(); }));
    EXPECT_EQ(form->Clicked, std::vector<std::string>{"O programu"});

    form->Clicked.clear();
    form->Tray->LeftPopup = true;
    SendTrayCallback(*form->Tray, WM_LBUTTONDBLCLK);
    PumpFor(100);
    EXPECT_TRUE(form->Clicked.empty()) << "not when the left button opens the menu";

    form->Tray->LeftPopup = false;
    form->Menu->AutoPopup = false;
    SendTrayCallback(*form->Tray, WM_LBUTTONDBLCLK);
    PumpFor(100);
    EXPECT_TRUE(form->Clicked.empty()) << "not when the menu's automatic popup is off";
    delete form;
}

TEST(TrayMenu, RemovingTheMenuClearsTheReference)
{
    auto* form = Application->CreateForm<TrayForm>();
    delete form->Menu;
    EXPECT_EQ(form->Tray->PopupMenu, nullptr);
    delete form;
}

} // namespace
