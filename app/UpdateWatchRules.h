#pragma once
#include <cstdint>
#include <optional>
#include <string>

// When a copy that runs for weeks looks for an update of itself, and when it carries out by
// itself one that asks nothing of the person. Neither may interrupt: both wait for a moment
// when nothing else is shown and the person is not at the program. No platform calls: the
// clock and the person's state are given; times are seconds since 1970 (UTC).

inline constexpr unsigned kDefaultUpdateCheckMinutes = 24 * 60;
// A check that got no answer is tried again this soon, or a period on when that is sooner.
inline constexpr int64_t kUnansweredCheckRetrySeconds = 3600;
// How long nobody may have touched the computer before an update that asks nothing goes ahead.
inline constexpr uint64_t kIdleBeforeSilentUpdateMs = 5 * 60 * 1000;

// [Settings] UpdateCheckMinutes as main.ini gives it (none when absent): a whole number above
// 0 is the period, 0 means at start-up only, anything else counts as the default.
unsigned UpdateCheckMinutesOf(const std::optional<std::string>& value);

// A time of the last answered check that lies in the future (kept before the clock was set
// back) counts as now.
int64_t AnsweredCheckAsRead(int64_t stored, int64_t now);

struct UpdateWatchFacts {
    unsigned periodMinutes = kDefaultUpdateCheckMinutes;
    // The last check that got an answer (the start-up run counts); none before any.
    std::optional<int64_t> lastAnswered;
    // The last check, answered or not.
    int64_t lastCheck = 0;
    bool lastCheckAnswered = false;
    int64_t now = 0;
    // The computer woke up and no poll has brought the page since: the network may not be back.
    bool awaitingPollAfterWake = false;
    bool popupShowing = false;
    // Popups must wait now (full screen, presentation, Focus Assist, quiet time), or one waits.
    bool popupsHeld = false;
    bool mainWindowActive = false;
    // Since the person last touched keyboard or mouse.
    uint64_t idleMs = 0;
    // An update run, the start-up run included, or a check is under way.
    bool runUnderWay = false;
    // The update announced asks nothing of the person.
    bool silentUpdateAnnounced = false;
};

enum class UpdateWatchStep { Wait, Check, CarryOut };

// A check is due a period after the last answered one, and within an hour after one that got
// no answer; it waits while anything else runs or shows, while the person works in the main
// window, and after a wake until a poll has brought the page. An announced update that asks
// nothing goes ahead once the person has been away for kIdleBeforeSilentUpdateMs and no popup
// shows or waits.
UpdateWatchStep NextUpdateWatchStep(const UpdateWatchFacts& facts);
