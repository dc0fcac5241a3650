#include "TrayClickRule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kDoubleClickTime = 500;

// A tray icon on a simulated clock: the click timer ticks once its double-click time is up.
class Icon : public TrayClickTarget {
public:
    bool enabled = true;
    bool dblClickHandler = true;
    bool enterExit = false;
    bool leftPopup = false;
    bool cursorAway = false;

    std::vector<std::string> events;
    TrayClickRule rule;

    void Send(unsigned code) { rule.Notify(code, *this); }
    void Advance(int ms)
    {
        const int until = now_ + ms;
        while (timerActive_ && timerDue_ <= until) {
            now_ = timerDue_;
            rule.ClickTick(*this);
        }
        now_ = until;
    }
    void Leave() { rule.LeaveTick(*this); }

    bool IsEnabled() const override { return enabled; }
    bool HasDblClickHandler() const override { return dblClickHandler; }
    bool WantsEnterExit() const override { return enterExit; }
    bool OpensMenuOnLeft() const override { return leftPopup; }
    void StartClickTimer() override
    {
        timerActive_ = true;
        timerDue_ = now_ + kDoubleClickTime;
    }
    void StopClickTimer() override { timerActive_ = false; }
    bool ClickTimerActive() const override { return timerActive_; }
    bool CursorMovedAway() const override { return cursorAway; }

    void RaiseMouseMove() override { Log("move"); }
    void RaiseMouseEnter() override { Log("enter"); }
    void RaiseMouseExit() override { Log("exit"); }
    void RaiseMouseDown(TrayButton button) override { Log("down " + Name(button)); }
    void RaiseMouseUp(TrayButton button) override { Log("up " + Name(button)); }
    void RaiseClick() override { Log("click"); }
    void RaiseDblClick() override { Log("dblclick"); }
    void ClickDefaultItem() override { Log("default item"); }
    void ShowMenu() override { Log("menu"); }
    void RaiseBalloonHide() override { Log("balloon hide"); }
    void RaiseBalloonTimeout() override { Log("balloon timeout"); }
    void RaiseBalloonClick() override { Log("balloon click"); }

private:
    static std::string Name(TrayButton button)
    {
        return button == TrayButton::Left ? "left" : button == TrayButton::Right ? "right" : "middle";
    }
    void Log(const std::string& event) { events.push_back(event + " @" + std::to_string(now_)); }

    int now_ = 0;
    bool timerActive_ = false;
    int timerDue_ = 0;
};

using Events = std::vector<std::string>;

TEST(TrayClickRule, SingleClickWaitsOneDoubleClickTimeAfterThePress)
{
    Icon icon;
    icon.Send(tnLeftButtonDown);
    icon.Advance(80);
    icon.Send(tnLeftButtonUp);
    icon.Advance(1000);
    EXPECT_EQ(icon.events, (Events{"down left @0", "up left @80", "click @500"}));
    EXPECT_FALSE(icon.rule.ClickPending());
    EXPECT_FALSE(icon.ClickTimerActive());
}

TEST(TrayClickRule, DoubleClickRaisesNoClick)
{
    Icon icon;
    icon.Send(tnLeftButtonDown);
    icon.Advance(60);
    icon.Send(tnLeftButtonUp);
    icon.Advance(100);
    icon.Send(tnLeftButtonDblClk);
    icon.Advance(60);
    icon.Send(tnLeftButtonUp);
    icon.Advance(1000);
    EXPECT_EQ(icon.events, (Events{"down left @0", "up left @60", "dblclick @160", "default item @160",
                                   "up left @220"}));
    EXPECT_FALSE(icon.rule.DoubleClicked()) << "cleared by the timer's tick";
}

TEST(TrayClickRule, PressHeldBeyondTheDoubleClickTimeClicksOnRelease)
{
    Icon icon;
    icon.Send(tnLeftButtonDown);
    icon.Advance(900);
    icon.Send(tnLeftButtonUp);
    icon.Advance(1000);
    EXPECT_EQ(icon.events, (Events{"down left @0", "click @900", "up left @900"}));
}

TEST(TrayClickRule, WithoutDoubleClickHandlerTheReleaseClicksAtOnce)
{
    Icon icon;
    icon.dblClickHandler = false;
    icon.Send(tnLeftButtonDown);
    icon.Advance(50);
    icon.Send(tnLeftButtonUp);
    EXPECT_EQ(icon.events, (Events{"down left @0", "click @50", "up left @50"}));
    EXPECT_FALSE(icon.ClickTimerActive());

    // A double click then is a click, the double click, and nothing held back afterwards.
    icon.events.clear();
    icon.Send(tnLeftButtonDblClk);
    icon.Send(tnLeftButtonUp);
    icon.Send(tnLeftButtonDown);
    icon.Send(tnLeftButtonUp);
    EXPECT_EQ(icon.events,
              (Events{"dblclick @50", "default item @50", "up left @50", "down left @50", "click @50", "up left @50"}));
}

TEST(TrayClickRule, DoubleClickAfterTheTimerRanOutDoesNotSwallowTheNextClick)
{
    Icon icon;
    icon.Send(tnLeftButtonDown);
    icon.Advance(100);
    icon.Send(tnLeftButtonUp);
    icon.Advance(450); // the click comes at 500
    icon.Send(tnLeftButtonDblClk);
    icon.Send(tnLeftButtonUp);
    icon.Advance(2000);
    icon.events.clear();

    icon.Send(tnLeftButtonDown);
    icon.Advance(100);
    icon.Send(tnLeftButtonUp);
    icon.Advance(1000);
    EXPECT_EQ(icon.events, (Events{"down left @2550", "up left @2650", "click @3050"}));
}

TEST(TrayClickRule, ThirdPressOfATripleClickRaisesNoClick)
{
    Icon icon;
    icon.Send(tnLeftButtonDown);
    icon.Send(tnLeftButtonUp);
    icon.Advance(100);
    icon.Send(tnLeftButtonDblClk);
    icon.Send(tnLeftButtonUp);
    icon.Advance(100);
    icon.Send(tnLeftButtonDown);
    icon.Send(tnLeftButtonUp);
    icon.Advance(2000);
    for (const auto& event : icon.events)
        EXPECT_NE(event.rfind("click", 0), 0u) << event;
}

TEST(TrayClickRule, ReleaseWithoutPressIsOnlyAMouseUp)
{
    Icon icon;
    icon.Send(tnLeftButtonUp);
    icon.Advance(1000);
    EXPECT_EQ(icon.events, (Events{"up left @0"}));
}

TEST(TrayClickRule, RightPressOpensTheMenuOnThePressAndMiddleButtonOnlyReports)
{
    Icon icon;
    icon.Send(tnRightButtonDown);
    icon.Send(tnRightButtonUp);
    icon.Send(tnMiddleButtonDown);
    icon.Send(tnMiddleButtonUp);
    EXPECT_EQ(icon.events, (Events{"down right @0", "menu @0", "up right @0", "down middle @0", "up middle @0"}));
}

TEST(TrayClickRule, KeyboardSelectionActsAsADoubleClickAndTheMenuKeyOpensTheMenuOnce)
{
    Icon icon;
    icon.Send(tnKeySelect);
    EXPECT_EQ(icon.events, (Events{"dblclick @0", "default item @0"}));
    EXPECT_FALSE(icon.ClickTimerActive());

    icon.events.clear();
    icon.Send(tnContextMenu);
    EXPECT_EQ(icon.events, (Events{"menu @0"})) << "the context-menu key";

    icon.events.clear();
    for (unsigned code : {tnRightButtonDown, tnRightButtonUp, tnContextMenu})
        icon.Send(code);
    EXPECT_EQ(icon.events, (Events{"down right @0", "menu @0", "up right @0"})) << "a right click: one menu";

    icon.events.clear();
    icon.enabled = false;
    icon.Send(tnKeySelect);
    icon.Send(tnContextMenu);
    EXPECT_TRUE(icon.events.empty());
}

TEST(TrayClickRule, LeftPopupOpensTheMenuOnTheLeftPress)
{
    Icon icon;
    icon.leftPopup = true;
    icon.Send(tnLeftButtonDown);
    EXPECT_EQ(icon.events, (Events{"down left @0", "menu @0"}));
}

TEST(TrayClickRule, DisabledIconIgnoresTheMouseButNotTheBalloon)
{
    Icon icon;
    icon.enabled = false;
    icon.enterExit = true;
    for (unsigned code : {tnMouseMove, tnLeftButtonDown, tnLeftButtonUp, tnLeftButtonDblClk, tnRightButtonDown,
                          tnRightButtonUp, tnMiddleButtonDown, tnMiddleButtonUp})
        icon.Send(code);
    icon.Advance(1000);
    EXPECT_TRUE(icon.events.empty());
    EXPECT_FALSE(icon.ClickTimerActive());

    icon.Send(tnBalloonHide);
    icon.Send(tnBalloonTimeout);
    icon.Send(tnBalloonUserClick);
    EXPECT_EQ(icon.events, (Events{"balloon hide @1000", "balloon timeout @1000", "balloon click @1000"}));
}

TEST(TrayClickRule, UnknownCodesAreIgnored)
{
    Icon icon;
    for (unsigned code : {0u, 0x206u, 0x209u, 0x400u, 0x402u, 0x406u})
        icon.Send(code);
    EXPECT_TRUE(icon.events.empty());
}

TEST(TrayClickRule, EnterOnFirstMoveAndExitOnceTheCursorIsElsewhere)
{
    Icon icon;
    icon.enterExit = true;
    icon.Send(tnMouseMove);
    icon.Send(tnMouseMove);
    icon.Leave(); // still where the last move was
    EXPECT_EQ(icon.events, (Events{"enter @0", "move @0", "move @0"}));
    EXPECT_FALSE(icon.rule.CursorOutside());

    icon.cursorAway = true;
    icon.Leave();
    icon.Leave();
    EXPECT_EQ(icon.events.back(), "exit @0");
    EXPECT_EQ(std::count(icon.events.begin(), icon.events.end(), std::string("exit @0")), 1);
    EXPECT_TRUE(icon.rule.CursorOutside());

    icon.Send(tnMouseMove);
    EXPECT_EQ(icon.events[icon.events.size() - 2], "enter @0");
}

TEST(TrayClickRule, WithoutEnterExitEventsMovesOnlyReportAndTheCursorStaysOutside)
{
    Icon icon;
    icon.Send(tnMouseMove);
    icon.cursorAway = true;
    icon.Leave();
    EXPECT_EQ(icon.events, (Events{"move @0"}));
    EXPECT_TRUE(icon.rule.CursorOutside());
}

} // namespace
