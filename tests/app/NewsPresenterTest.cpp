#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "NewsPresenter.h"

namespace {

constexpr int64_t kToday = 1000;

// Writes down every step the tick takes, against a log of given entries, on the 10th of
// December 2026 at 15:00.
class Recorder : public NewsPresenterTarget {
public:
    std::vector<std::string> steps;
    std::vector<LogEntry> log;
    bool soundOn = true;
    bool failDecoding = false;
    bool failShowing = false;
    bool mustWait = false;
    // The quiet hour holds what was not asked for.
    bool quiet = false;

    void SetIconIndex(int index) override { steps.push_back("icon " + std::to_string(index)); }
    std::string DecodeText(const std::string& raw) override
    {
        if (failDecoding)
            throw std::runtime_error("decoder");
        return "decoded " + raw;
    }
    LocalTime Now() override { return {kToday, 15 * 60}; }
    std::string FormatDay(int64_t day) override { return std::to_string(day - kToday + 10) + ".12.2026"; }
    std::vector<LogEntry> LastLogEntries() override { return log; }
    void AppendLogEntries(const std::vector<LogEntry>& entries) override
    {
        std::string step = "log";
        for (const LogEntry& entry : entries)
            step += " " + entry.title + " | " + entry.text + ";";
        steps.push_back(step);
        log.insert(log.end(), entries.begin(), entries.end());
    }
    void SetPopupTitle(const std::string& title) override { steps.push_back("title " + title); }
    void SetPopupText(const std::string& text) override { steps.push_back("text " + text); }
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
using Rows = std::vector<PageRow>;

// The poll reads a page of these rows (times in minutes).
auto Read(Rows rows)
{
    return [rows](TLatestItemState& state, Recorder&, PresenterMemory&) { state.PublishRows(rows); };
}

// One tick of the presenter: what comes first (a page read, the menu command, a failing
// target), the steps the tick takes and whether it fails.
struct Tick {
    std::function<void(TLatestItemState&, Recorder&, PresenterMemory&)> before;
    Steps steps;
    bool fails = false;
};

const auto Forget = [](TLatestItemState&, Recorder&, PresenterMemory& memory) { ForgetLastShownItem(memory); };
const auto Target = [](std::function<void(Recorder&)> change) {
    return [change](TLatestItemState&, Recorder& target, PresenterMemory&) { change(target); };
};

constexpr int k1435 = 14 * 60 + 35;

// A long Czech text with a line break.
const std::string kLongCzech = [] {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ž";
    return text + "\r\n";
}();
// "decoded " and 991 letters make 999 characters, and the mark the thousandth.
const std::string kLongShown = [] {
    std::string shown = "decoded ";
    for (int i = 0; i < 991; ++i)
        shown += "ž";
    return shown + "…";
}();

} // namespace

// Each case starts with the fetch status and a log, then ticks the presenter.
TEST(NewsPresenter, TicksLogEachPagesNewItemsAtOnceAndAnnounceTheNewestOnce)
{
    const std::string t1435 = "10.12.2026 14:35";
    const struct {
        const char* name;
        uint8_t status;
        std::vector<LogEntry> log;
        std::vector<Tick> ticks;
    } cases[] = {
        {"a new item is logged and announced once",
         1,
         {},
         {{Read({{k1435, "a%20b"}}),
           {"icon 1", "log " + t1435 + " | decoded a%20b;", "title Soriel 3 - " + t1435, "text decoded a%20b", "popup",
            "sound"}},
          {nullptr, {"icon 1"}},
          {Read({{k1435, "a%20b"}}), {"icon 1"}}}},
        {"nothing is announced before the first page", 2, {}, {{nullptr, {"icon 2"}}, {Forget, {"icon 2"}}}},
        {"three items of one page: logged oldest first in one go, one popup and one sound",
         1,
         {{"10.12.2026 14:30", "decoded z"}},
         {{Read({{k1435 + 2, "c"}, {k1435, "b"}, {k1435, "a"}, {14 * 60 + 30, "z"}}),
           {"icon 1",
            "log " + t1435 + " | decoded a; " + t1435 + " | decoded b; 10.12.2026 14:37 | decoded c;",
            "title Soriel 3 - 10.12.2026 14:37", "text decoded c\na 2 další zprávy", "popup", "sound"}}}},
        {"after start-up a logged item gets popup and sound but no second entry",
         1,
         {{t1435, "decoded x"}},
         {{Read({{k1435, "x"}}), {"icon 1", "title Soriel 3 - " + t1435, "text decoded x", "popup", "sound"}}}},
        {"sound off still announces",
         1,
         {},
         {{[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.soundOn = false;
               state.PublishRows({{k1435, "x"}});
           },
           {"icon 1", "log " + t1435 + " | decoded x;", "title Soriel 3 - " + t1435, "text decoded x", "popup"}}}},
        {"the menu command announces the current item again without a second entry",
         1,
         {},
         {{Read({{k1435, "x"}}),
           {"icon 1", "log " + t1435 + " | decoded x;", "title Soriel 3 - " + t1435, "text decoded x", "popup", "sound"}},
          {Forget, {"icon 1", "title Soriel 3 - " + t1435, "text decoded x", "popup", "sound"}},
          {nullptr, {"icon 1"}}}},
        {"an error before the page counts as read is retried on the next tick",
         1,
         {},
         {{[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.failDecoding = true;
               state.PublishRows({{k1435, "x"}});
           },
           {"icon 1"},
           true},
          {Target([](Recorder& target) { target.failDecoding = false; }),
           {"icon 1", "log " + t1435 + " | decoded x;", "title Soriel 3 - " + t1435, "text decoded x", "popup", "sound"}}}},
        {"an error after the page counts as read is not repeated",
         1,
         {},
         {{[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.failShowing = true;
               state.PublishRows({{k1435, "x"}});
           },
           {"icon 1", "log " + t1435 + " | decoded x;", "title Soriel 3 - " + t1435, "text decoded x"},
           true},
          {nullptr, {"icon 1"}}}},
        // The menu command while held: the same item again is no other one.
        {"while held each page is logged and the newest is shown once with the count of the others",
         1,
         {},
         {{[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.mustWait = true;
               state.PublishRows({{600, "x1"}});
           },
           {"icon 1", "log 10.12.2026 10:00 | decoded x1;"}},
          {Read({{601, "x2"}, {600, "x1"}}), {"icon 1", "log 10.12.2026 10:01 | decoded x2;"}},
          {Read({{603, "x4"}, {602, "x3"}, {601, "x2"}}),
           {"icon 1", "log 10.12.2026 10:02 | decoded x3; 10.12.2026 10:03 | decoded x4;"}},
          {Forget, {"icon 1"}},
          {Target([](Recorder& target) { target.mustWait = false; }),
           {"icon 1", "title Soriel 3 - 10.12.2026 10:03", "text decoded x4\na 3 další zprávy", "popup", "sound"}},
          {nullptr, {"icon 1"}}}},
        // The person's quiet hour holds as the other reasons do, but not the popup they asked
        // for; the asking counts for the next tick only, shown or held by another reason.
        {"the menu command shows the held item with its count despite the quiet hour, and only once",
         1,
         {},
         {{[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.quiet = true;
               state.PublishRows({{600, "x1"}});
           },
           {"icon 1", "log 10.12.2026 10:00 | decoded x1;"}},
          {[](TLatestItemState& state, Recorder& target, PresenterMemory& memory) {
               target.mustWait = true;
               Forget(state, target, memory);
           },
           {"icon 1"}},
          {[](TLatestItemState& state, Recorder& target, PresenterMemory&) {
               target.mustWait = false;
               state.PublishRows({{601, "x2"}, {600, "x1"}});
           },
           {"icon 1", "log 10.12.2026 10:01 | decoded x2;"}},
          {Forget, {"icon 1", "title Soriel 3 - 10.12.2026 10:01", "text decoded x2\na 1 další zpráva", "popup", "sound"}},
          {Read({{602, "x3"}, {601, "x2"}}), {"icon 1", "log 10.12.2026 10:02 | decoded x3;"}},
          {Target([](Recorder& target) { target.quiet = false; }),
           {"icon 1", "title Soriel 3 - 10.12.2026 10:02", "text decoded x3", "popup", "sound"}}}},
        {"popup and log get one line of the text, cut at a character",
         1,
         {},
         {{Read({{k1435, kLongCzech}}),
           {"icon 1", "log " + t1435 + " | " + kLongShown + ";", "title Soriel 3 - " + t1435, "text " + kLongShown,
            "popup", "sound"}},
          {Read({{k1435, kLongCzech}}), {"icon 1"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLatestItemState state;
        state.SetFetchStatus(c.status);
        Recorder target;
        target.log = c.log;
        PresenterMemory memory;
        for (size_t i = 0; i < c.ticks.size(); ++i) {
            SCOPED_TRACE("tick " + std::to_string(i + 1));
            const Tick& tick = c.ticks[i];
            if (tick.before)
                tick.before(state, target, memory);
            target.steps.clear();
            if (tick.fails) {
                EXPECT_THROW(PresentLatestItem(state, target, memory), std::runtime_error);
            } else {
                PresentLatestItem(state, target, memory);
            }
            EXPECT_EQ(target.steps, tick.steps);
        }
    }
}
