#include <gtest/gtest.h>

#include <functional>

#include "UpdateWatchRules.h"

namespace {

// A day after an answered check at T: a check is due, and nothing stands in its way.
constexpr int64_t T = 1'800'000'000;
constexpr int64_t kDay = 24 * 3600;
constexpr uint64_t kMinute = 60 * 1000;

UpdateWatchFacts DayAfterAnAnsweredCheck()
{
    return {.lastAnswered = T, .lastCheck = T, .lastCheckAnswered = true, .now = T + kDay};
}

} // namespace

// The due time and everything that makes a check, or an update that asks nothing, wait.
TEST(UpdateWatchRules, WhenToCheckCarryOutOrWait)
{
    using enum UpdateWatchStep;
    const struct {
        const char* name;
        std::function<void(UpdateWatchFacts&)> change;
        UpdateWatchStep expected;
    } cases[] = {
        {"a day after the last answer", [](UpdateWatchFacts&) {}, Check},
        {"a second before", [](UpdateWatchFacts& f) { f.now -= 1; }, Wait},
        {"checks at start-up only", [](UpdateWatchFacts& f) { f.periodMinutes = 0; }, Wait},
        {"a period of a minute", [](UpdateWatchFacts& f) { f.periodMinutes = 1, f.now = T + 60; }, Check},
        {"a run or a check under way", [](UpdateWatchFacts& f) { f.runUnderWay = true; }, Wait},
        {"a popup shows", [](UpdateWatchFacts& f) { f.popupShowing = true; }, Wait},
        {"popups must wait", [](UpdateWatchFacts& f) { f.popupsHeld = true; }, Wait},
        {"the person works in the main window", [](UpdateWatchFacts& f) { f.mainWindowActive = true; }, Wait},
        {"woken up, no poll has brought the page yet", [](UpdateWatchFacts& f) { f.awaitingPollAfterWake = true; },
         Wait},
        // No answer an hour ago: tried again now, though the last answer is not a day old.
        {"an hour after a check without answer",
         [](UpdateWatchFacts& f) { f.lastCheck = T + 3600, f.lastCheckAnswered = false, f.now = T + 7200; }, Check},
        {"59 minutes after it",
         [](UpdateWatchFacts& f) { f.lastCheck = T + 3600, f.lastCheckAnswered = false, f.now = T + 7199; }, Wait},
        {"never an answer, an hour after the start-up run",
         [](UpdateWatchFacts& f) { f.lastAnswered.reset(), f.lastCheckAnswered = false, f.now = T + 3600; }, Check},
        {"a period shorter than the hour of a retry",
         [](UpdateWatchFacts& f) { f.periodMinutes = 2, f.lastCheckAnswered = false, f.now = T + 120; }, Check},
        // Answered 23 h 30 min before a start whose run got no answer: due at the day, not an hour on.
        {"the day of a kept answer before the retry",
         [](UpdateWatchFacts& f) { f.lastCheck = T + kDay - 1800, f.lastCheckAnswered = false; }, Check},
        {"no answer at the day: hourly, not at every look",
         [](UpdateWatchFacts& f) { f.lastCheck = T + kDay, f.lastCheckAnswered = false, f.now = T + kDay + 1800; },
         Wait},
        // An update that asks nothing goes ahead once the person has been away for 5 minutes.
        {"silent update, away 5 minutes",
         [](UpdateWatchFacts& f) { f.now = T, f.silentUpdateAnnounced = true, f.idleMs = 5 * kMinute; }, CarryOut},
        {"silent update, away a moment less",
         [](UpdateWatchFacts& f) { f.now = T, f.silentUpdateAnnounced = true, f.idleMs = 5 * kMinute - 1; }, Wait},
        {"silent update, away, the main window left in front",
         [](UpdateWatchFacts& f) {
             f.now = T, f.silentUpdateAnnounced = true, f.idleMs = kDay * 1000, f.mainWindowActive = true;
         },
         CarryOut},
        {"silent update, away, a popup shows",
         [](UpdateWatchFacts& f) { f.silentUpdateAnnounced = true, f.idleMs = kDay * 1000, f.popupShowing = true; },
         Wait},
        {"silent update, away, popups must wait",
         [](UpdateWatchFacts& f) { f.silentUpdateAnnounced = true, f.idleMs = kDay * 1000, f.popupsHeld = true; },
         Wait},
        {"silent update, away, a run under way",
         [](UpdateWatchFacts& f) { f.silentUpdateAnnounced = true, f.idleMs = kDay * 1000, f.runUnderWay = true; },
         Wait},
        {"an update that asks something, the person away: a check only",
         [](UpdateWatchFacts& f) { f.idleMs = kDay * 1000; }, Check},
    };
    for (const auto& c : cases) {
        UpdateWatchFacts facts = DayAfterAnAnsweredCheck();
        c.change(facts);
        EXPECT_EQ(NextUpdateWatchStep(facts), c.expected) << c.name;
    }
}

// The period main.ini gives, and a kept time after the clock was set back.
TEST(UpdateWatchRules, PeriodAndKeptTimeAsRead)
{
    const std::pair<std::optional<std::string>, unsigned> periods[] = {
        {std::nullopt, 1440}, {"1", 1}, {" 90 ", 90}, {"0", 0}, {"-5", 1440},
        {"abc", 1440},        {"1.5", 1440}, {"", 1440}, {"4294967296", 1440},
    };
    for (const auto& [value, minutes] : periods)
        EXPECT_EQ(UpdateCheckMinutesOf(value), minutes) << value.value_or("(none)");
    EXPECT_EQ(AnsweredCheckAsRead(T + kDay, T), T);
    EXPECT_EQ(AnsweredCheckAsRead(T - kDay, T), T - kDay);
}
