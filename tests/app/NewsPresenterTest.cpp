#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "NewsPresenter.h"

namespace {

// Writes down every step the tick takes, against a log of given lines.
class Recorder : public NewsPresenterTarget {
public:
    std::vector<std::string> steps;
    std::vector<std::string> log;
    bool soundOn = true;
    bool failDecoding = false;
    bool failShowing = false;
    bool mustWait = false;
    // The quiet hour holds what was not asked for.
    bool quiet = false;
    // What the tick keeps from one tick to the next.
    PendingPopup pending;

    void SetIconIndex(int index) override { steps.push_back("icon " + std::to_string(index)); }
    std::string DecodeText(const std::string& raw) override
    {
        if (failDecoding)
            throw std::runtime_error("decoder");
        return "decoded " + raw;
    }
    void SetPopupTitle(const std::string& title) override { steps.push_back("title " + title); }
    void SetPopupText(const std::string& text) override { steps.push_back("text " + text); }
    bool LogHoldsTitle(const std::string& title) override
    {
        return std::find(log.begin(), log.end(), title) != log.end();
    }
    void AppendLogEntry(const std::string& title, const std::string& text) override
    {
        steps.push_back("log " + title + " | " + text);
        log.insert(log.end(), {title, text, ""});
    }
    void ShowPopup() override
    {
        if (failShowing)
            throw std::runtime_error("popup");
        steps.push_back("popup");
    }
    bool PopupsMustWait(bool askedFor) override { return mustWait || (quiet && !askedFor); }
    bool SoundOn() override { return soundOn; }
    void PlaySound() override { steps.push_back("sound"); }
};

using Steps = std::vector<std::string>;

void Publish(TLatestItemState& state, const std::string& title, const std::string& text, uint8_t status)
{
    state.SetFetchStatus(status);
    if (!title.empty())
        state.PublishItem(title, text);
}

// One tick of the presenter: what comes first (a newer item, the menu command, a failing
// target), the steps the tick takes, whether it fails, and the title counted as shown after it.
struct Tick {
    std::function<void(TLatestItemState&, Recorder&)> before;
    Steps steps;
    bool fails = false;
    const char* shownAfter = nullptr;
};

const auto Forget = [](TLatestItemState& state, Recorder& target) { ForgetLastShownItem(state, target.pending); };

// A long Czech text with a line break, and a time of day that is not UTF-8.
const std::string kLongCzech = [] {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ž";
    return text + "\r\n";
}();
const std::string kLongTitle = "7.12.2026 10:0\xEF\xBF\xBD";
// "decoded " and 991 letters make 999 characters, and the mark the thousandth.
const std::string kLongShown = [] {
    std::string shown = "decoded ";
    for (int i = 0; i < 991; ++i)
        shown += "ž";
    return shown + "…";
}();

} // namespace

// Each case publishes its item, then ticks the presenter against a log of given lines.
TEST(NewsPresenter, TicksAnnounceLogAndShowEachItemOnce)
{
    const struct {
        const char* name;
        std::string title, text;
        uint8_t status;
        std::vector<Tick> ticks;
    } cases[] = {
        {"a new item is announced once, in order", "6.12.2026 14:35", "a%20b", 1,
         {{nullptr,
           {"icon 1", "log 6.12.2026 14:35 | decoded a%20b", "title Soriel 3 - 6.12.2026 14:35", "text decoded a%20b",
            "popup", "sound"},
           false, "6.12.2026 14:35"},
          {nullptr, {"icon 1"}}}},
        {"nothing is announced before the first item", "", "", 2, {{nullptr, {"icon 2"}}}},
        {"a logged item gets popup and sound but no second entry", "6.12.2026 14:35", "x", 1,
         {{[](TLatestItemState&, Recorder& target) { target.log = {"something", "6.12.2026 14:35", "older text", ""}; },
           {"icon 1", "title Soriel 3 - 6.12.2026 14:35", "text decoded x", "popup", "sound"}}}},
        {"sound off still announces", "t", "x", 1,
         {{[](TLatestItemState&, Recorder& target) { target.soundOn = false; },
           {"icon 1", "log t | decoded x", "title Soriel 3 - t", "text decoded x", "popup"}}}},
        {"the menu command announces the current item again without a second entry", "t", "x", 1,
         {{nullptr, {"icon 1", "log t | decoded x", "title Soriel 3 - t", "text decoded x", "popup", "sound"}},
          {Forget, {"icon 1", "title Soriel 3 - t", "text decoded x", "popup", "sound"}}}},
        {"the menu command without any item announces nothing", "", "", 0, {{Forget, {"icon 0"}}}},
        {"an error before the item counts as shown is retried on the next tick", "t", "x", 1,
         {{[](TLatestItemState&, Recorder& target) { target.failDecoding = true; }, {"icon 1"}, true, ""},
          {[](TLatestItemState&, Recorder& target) { target.failDecoding = false; },
           {"icon 1", "log t | decoded x", "title Soriel 3 - t", "text decoded x", "popup", "sound"}}}},
        {"an error after the item counts as shown is not repeated", "t", "x", 1,
         {{[](TLatestItemState&, Recorder& target) { target.failShowing = true; },
           {"icon 1", "log t | decoded x", "title Soriel 3 - t", "text decoded x"}, true, "t"},
          {nullptr, {"icon 1"}}}},
        // The menu command while held: the same item again is no other one.
        {"while held the log takes each item and the newest is shown once with the count of the others", "t1", "x1", 1,
         {{[](TLatestItemState&, Recorder& target) { target.mustWait = true; }, {"icon 1", "log t1 | decoded x1"}},
          {[](TLatestItemState& state, Recorder&) { Publish(state, "t2", "x2", 1); }, {"icon 1", "log t2 | decoded x2"}},
          {[](TLatestItemState& state, Recorder&) { Publish(state, "t3", "x3", 1); }, {"icon 1", "log t3 | decoded x3"}},
          {Forget, {"icon 1"}},
          {[](TLatestItemState&, Recorder& target) { target.mustWait = false; },
           {"icon 1", "title Soriel 3 - t3", "text decoded x3\na 2 další zprávy", "popup", "sound"}},
          {nullptr, {"icon 1"}}}},
        // The person's quiet hour holds as the other reasons do, but not the popup they asked
        // for; the asking counts for the next tick only, shown or held by another reason.
        {"the menu command shows the held item with its count despite the quiet hour, and only once", "t1", "x1", 1,
         {{[](TLatestItemState&, Recorder& target) { target.quiet = true; }, {"icon 1", "log t1 | decoded x1"}},
          {[](TLatestItemState& state, Recorder& target) {
               target.mustWait = true;
               Forget(state, target);
           },
           {"icon 1"}},
          {[](TLatestItemState& state, Recorder& target) {
               target.mustWait = false;
               Publish(state, "t2", "x2", 1);
           },
           {"icon 1", "log t2 | decoded x2"}},
          {Forget, {"icon 1", "title Soriel 3 - t2", "text decoded x2\na 1 další zpráva", "popup", "sound"}},
          {[](TLatestItemState& state, Recorder&) { Publish(state, "t3", "x3", 1); }, {"icon 1", "log t3 | decoded x3"}},
          {[](TLatestItemState&, Recorder& target) { target.quiet = false; },
           {"icon 1", "title Soriel 3 - t3", "text decoded x3", "popup", "sound"}}}},
        // Announced again (as after a restart): the log already holds that very title.
        {"popup, log and duplicate check get one line of each, cut at a character", "7.12.2026 10:0\xC5", kLongCzech, 1,
         {{nullptr,
           {"icon 1", "log " + kLongTitle + " | " + kLongShown, "title Soriel 3 - " + kLongTitle, "text " + kLongShown,
            "popup", "sound"}},
          {Forget, {"icon 1", "title Soriel 3 - " + kLongTitle, "text " + kLongShown, "popup", "sound"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLatestItemState state;
        Publish(state, c.title, c.text, c.status);
        Recorder target;
        for (size_t i = 0; i < c.ticks.size(); ++i) {
            SCOPED_TRACE("tick " + std::to_string(i + 1));
            const Tick& tick = c.ticks[i];
            if (tick.before)
                tick.before(state, target);
            target.steps.clear();
            if (tick.fails) {
                EXPECT_THROW(PresentLatestItem(state, target, target.pending), std::runtime_error);
            } else {
                PresentLatestItem(state, target, target.pending);
            }
            EXPECT_EQ(target.steps, tick.steps);
            if (tick.shownAfter) {
                EXPECT_EQ(state.Snapshot().LastShownTitle, tick.shownAfter);
            }
        }
    }
}
