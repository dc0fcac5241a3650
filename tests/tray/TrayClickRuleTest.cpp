#include "TrayClickRule.h"

#include <gtest/gtest.h>

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

// One step of a script: a notification, time passing, the leave timer's tick, the cursor
// moving away, the icon being disabled, or a check of what the rule holds: the cursor outside
// or not, no double click remembered, no click held back, the click timer stopped.
struct Step {
    enum Kind { Send, Wait, Leave, Away, Disable, Outside, Inside, NoDoubleClick, NoClickPending, TimerStopped } kind;
    unsigned value = 0;
};
Step Code(unsigned code) { return {Step::Send, code}; }
Step Wait(unsigned ms) { return {Step::Wait, ms}; }
const Step kLeave{Step::Leave}, kAway{Step::Away}, kDisable{Step::Disable}, kOutside{Step::Outside},
    kInside{Step::Inside}, kNoDoubleClick{Step::NoDoubleClick}, kNoClickPending{Step::NoClickPending},
    kTimerStopped{Step::TimerStopped};

struct Case {
    const char* name;
    std::vector<Step> script;
    Events expected;
    bool dblClickHandler = true;
    bool enterExit = false;
    bool leftPopup = false;
};

} // namespace

// Each script on a fresh icon, against the events it raises with their times.
TEST(TrayClickRule, ScriptsOfPressesKeysAndMoves)
{
    const Case cases[] = {
        {"a single click waits one double-click time after the press",
         {Code(tnLeftButtonDown), Wait(80), Code(tnLeftButtonUp), Wait(1000), kNoClickPending, kTimerStopped},
         {"down left @0", "up left @80", "click @500"}},
        {"a double click raises no click",
         {Code(tnLeftButtonDown), Wait(60), Code(tnLeftButtonUp), Wait(100), Code(tnLeftButtonDblClk), Wait(60),
          Code(tnLeftButtonUp), Wait(1000), kNoDoubleClick},
         {"down left @0", "up left @60", "dblclick @160", "default item @160", "up left @220"}},
        {"a press held beyond the double-click time clicks on release",
         {Code(tnLeftButtonDown), Wait(900), Code(tnLeftButtonUp), Wait(1000)},
         {"down left @0", "click @900", "up left @900"}},
        // A double click then is a click, the double click, and nothing held back afterwards.
        {"without a double-click handler the release clicks at once",
         {Code(tnLeftButtonDown), Wait(50), Code(tnLeftButtonUp), kTimerStopped, Code(tnLeftButtonDblClk),
          Code(tnLeftButtonUp), Code(tnLeftButtonDown), Code(tnLeftButtonUp)},
         {"down left @0", "click @50", "up left @50", "dblclick @50", "default item @50", "up left @50",
          "down left @50", "click @50", "up left @50"},
         false},
        {"a double click after the timer ran out does not swallow the next click",
         {Code(tnLeftButtonDown), Wait(100), Code(tnLeftButtonUp), Wait(450), Code(tnLeftButtonDblClk),
          Code(tnLeftButtonUp), Wait(2000), Code(tnLeftButtonDown), Wait(100), Code(tnLeftButtonUp), Wait(1000)},
         {"down left @0", "up left @100", "click @500", "dblclick @550", "default item @550", "up left @550",
          "down left @2550", "up left @2650", "click @3050"}},
        {"the third press of a triple click raises no click",
         {Code(tnLeftButtonDown), Code(tnLeftButtonUp), Wait(100), Code(tnLeftButtonDblClk), Code(tnLeftButtonUp),
          Wait(100), Code(tnLeftButtonDown), Code(tnLeftButtonUp), Wait(2000)},
         {"down left @0", "up left @0", "dblclick @100", "default item @100", "up left @100", "down left @200",
          "up left @200"}},
        {"a release without a press is only a mouse-up", {Code(tnLeftButtonUp), Wait(1000)}, {"up left @0"}},
        {"the right press opens the menu on the press; the middle button only reports",
         {Code(tnRightButtonDown), Code(tnRightButtonUp), Code(tnMiddleButtonDown), Code(tnMiddleButtonUp)},
         {"down right @0", "menu @0", "up right @0", "down middle @0", "up middle @0"}},
        // The context-menu key opens the menu; after a right click, whose press opened it, not again.
        {"keyboard selection acts as a double click and the menu key opens the menu once",
         {Code(tnKeySelect), kTimerStopped, Code(tnContextMenu), Code(tnRightButtonDown), Code(tnRightButtonUp),
          Code(tnContextMenu), kDisable, Code(tnKeySelect), Code(tnContextMenu)},
         {"dblclick @0", "default item @0", "menu @0", "down right @0", "menu @0", "up right @0"}},
        {"a left popup opens the menu on the left press", {Code(tnLeftButtonDown)}, {"down left @0", "menu @0"}, true,
         false, true},
        {"a disabled icon ignores the mouse but not the balloon",
         {kDisable, Code(tnMouseMove), Code(tnLeftButtonDown), Code(tnLeftButtonUp), Code(tnLeftButtonDblClk),
          Code(tnRightButtonDown), Code(tnRightButtonUp), Code(tnMiddleButtonDown), Code(tnMiddleButtonUp), Wait(1000),
          kTimerStopped, Code(tnBalloonHide), Code(tnBalloonTimeout), Code(tnBalloonUserClick)},
         {"balloon hide @1000", "balloon timeout @1000", "balloon click @1000"}, true, true},
        {"unknown codes are ignored",
         {Code(0), Code(0x206), Code(0x209), Code(0x400), Code(0x402), Code(0x406), Wait(1000)}, {}},
        // The first leave tick comes while the cursor is still where the last move was.
        {"enter on the first move and exit once the cursor is elsewhere",
         {Code(tnMouseMove), Code(tnMouseMove), kLeave, kInside, kAway, kLeave, kLeave, kOutside, Code(tnMouseMove)},
         {"enter @0", "move @0", "move @0", "exit @0", "enter @0", "move @0"}, true, true},
        {"without enter and exit events moves only report and the cursor stays outside",
         {Code(tnMouseMove), kAway, kLeave, kOutside}, {"move @0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Icon icon;
        icon.dblClickHandler = c.dblClickHandler;
        icon.enterExit = c.enterExit;
        icon.leftPopup = c.leftPopup;
        for (const Step& step : c.script) {
            switch (step.kind) {
            case Step::Send: icon.Send(step.value); break;
            case Step::Wait: icon.Advance(int(step.value)); break;
            case Step::Leave: icon.Leave(); break;
            case Step::Away: icon.cursorAway = true; break;
            case Step::Disable: icon.enabled = false; break;
            case Step::Outside: EXPECT_TRUE(icon.rule.CursorOutside()); break;
            case Step::Inside: EXPECT_FALSE(icon.rule.CursorOutside()); break;
            case Step::NoDoubleClick: EXPECT_FALSE(icon.rule.DoubleClicked()); break;
            case Step::NoClickPending: EXPECT_FALSE(icon.rule.ClickPending()); break;
            case Step::TimerStopped: EXPECT_FALSE(icon.ClickTimerActive()); break;
            }
        }
        EXPECT_EQ(icon.events, c.expected);
    }
}
