#include "UpdateWatchRules.h"

#include <algorithm>

#include "IniText.h"

unsigned UpdateCheckMinutesOf(const std::optional<std::string>& value)
{
    const std::optional<long long> minutes = value ? ParseInteger(*value) : std::nullopt;
    if (!minutes || *minutes < 0 || *minutes > 0xFFFFFFFFLL)
        return kDefaultUpdateCheckMinutes;
    return unsigned(*minutes);
}

int64_t AnsweredCheckAsRead(int64_t stored, int64_t now) { return std::min(stored, now); }

namespace {

std::optional<int64_t> CheckDueAt(const UpdateWatchFacts& facts)
{
    if (facts.periodMinutes == 0)
        return std::nullopt;
    const int64_t period = int64_t(facts.periodMinutes) * 60;
    const int64_t byPeriod = facts.lastAnswered.value_or(facts.lastCheck) + period;
    if (facts.lastCheckAnswered)
        return byPeriod;
    const int64_t retry = facts.lastCheck + std::min(period, kUnansweredCheckRetrySeconds);
    // A period that fell due before the unanswered check was tried then.
    if (!facts.lastAnswered || byPeriod <= facts.lastCheck)
        return retry;
    return std::min(byPeriod, retry);
}

} // namespace

UpdateWatchStep NextUpdateWatchStep(const UpdateWatchFacts& facts)
{
    if (facts.runUnderWay || facts.popupShowing || facts.popupsHeld || facts.awaitingPollAfterWake)
        return UpdateWatchStep::Wait;
    if (facts.silentUpdateAnnounced && facts.idleMs >= kIdleBeforeSilentUpdateMs)
        return UpdateWatchStep::CarryOut;
    if (facts.mainWindowActive)
        return UpdateWatchStep::Wait;
    const std::optional<int64_t> due = CheckDueAt(facts);
    return due && facts.now >= *due ? UpdateWatchStep::Check : UpdateWatchStep::Wait;
}
