#include <gtest/gtest.h>

#include <vector>

#include "PopupHoldRule.h"

namespace {

const HoldRect kMonitor{0, 0, 1280, 1024};
const HoldRect kSecondMonitor{1280, 0, 2560, 1024};

PopupHoldFacts Front(int shellState, HoldRect window, HoldRect monitor = kMonitor, bool maximizedWithCaption = false)
{
    return {shellState, false, false, maximizedWithCaption, window, monitor};
}

// Nothing else holds: the quiet hour, its item chosen at those times, looked at later.
PopupHoldFacts Quiet(std::initializer_list<std::uint64_t> chosenAtMs, std::uint64_t nowMs)
{
    PopupHoldFacts facts = Front(snsAcceptsNotifications, {100, 100, 500, 400});
    for (std::uint64_t at : chosenAtMs)
        facts.quiet.Toggle(at);
    facts.nowMs = nowMs;
    return facts;
}

const std::uint64_t kHour = 60 * 60 * 1000;

TEST(PopupHoldRule, HoldsForTheShellsDoNotDisturbStatesAndForAWindowCoveringItsMonitor)
{
    const HoldRect small{100, 100, 500, 400};
    const HoldRect whole = kMonitor;
    const HoldRect larger{-8, -8, 1288, 1032};
    const HoldRect workArea{-8, -8, 1288, 1000};
    const struct {
        PopupHoldFacts facts;
        bool hold;
    } rows[] = {
        {Front(snsAcceptsNotifications, small), false},
        {Front(snsUnknown, small), false},
        {Front(snsNotPresent, small), false},
        {Front(snsStoreApp, small), false},
        {Front(snsBusy, small), true},
        {Front(snsFullScreenDirect3D, small), true},
        {Front(snsPresentationMode, small), true},
        {Front(snsQuietTime, small), true},
        {Front(snsAcceptsNotifications, whole), true},
        {Front(snsAcceptsNotifications, larger), true},
        {Front(snsAcceptsNotifications, workArea), false},
        {Front(snsAcceptsNotifications, kSecondMonitor, kSecondMonitor), true},
        {Front(snsAcceptsNotifications, whole, kSecondMonitor), false},
        {Front(snsAcceptsNotifications, larger, kMonitor, true), false},
        {{snsAcceptsNotifications, false, true, false, whole, kMonitor}, false},
        {{snsBusy, false, true, false, {}, kMonitor}, true},
        {{snsAcceptsNotifications, true, true, false, {}, kMonitor}, true},
        {{snsAcceptsNotifications, true, false, false, small, kMonitor}, true},
        {Quiet({}, 0), false},
        {Quiet({5000}, 5000), true},
        {Quiet({5000}, 5000 + kHour - 1), true},
        {Quiet({5000}, 5000 + kHour), false},
        // Chosen again: ended at once; and once more, a new hour from then.
        {Quiet({5000, 9000}, 9000), false},
        {Quiet({5000, 9000, 20000}, 20000 + kHour - 1), true},
        // Chosen after the hour ran out (its mark not yet taken down): a new hour, not an end.
        {Quiet({5000, 5000 + kHour}, 5000 + kHour + 1), true},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(MustHoldPopups(rows[i].facts), rows[i].hold) << "row " << i;
}

// Wine's ntdll has no NtQueryWnfStateData, so under Wine the program only ever meets the
// "missing function" row; the others are what Windows 10 and 11 answer.
TEST(PopupHoldRule, FocusAssistIsOnInEveryModeAndOffWhenItsProfileCannotBeRead)
{
    const auto bytes = [](std::initializer_list<int> values) {
        std::vector<std::byte> out;
        for (int value : values)
            out.push_back(std::byte(value));
        return out;
    };
    const std::int32_t ok = 0, bufferTooSmall = std::int32_t(0xC0000023);
    const struct {
        const char* what;
        std::int32_t status;
        std::vector<std::byte> profile;
        bool on;
    } rows[] = {
        {"off", ok, bytes({0, 0, 0, 0}), false},
        {"priority only", ok, bytes({1, 0, 0, 0}), true},
        {"alarms only", ok, bytes({2, 0, 0, 0}), true},
        {"a newer mode", ok, bytes({0, 1, 0, 0}), true},
        {"call failed", bufferTooSmall, bytes({1, 0, 0, 0}), false},
        {"no data yet", ok, {}, false},
        {"shorter", ok, bytes({1, 0}), false},
        {"longer", ok, bytes({1, 0, 0, 0, 0, 0, 0, 0}), false},
        {"missing function", kStatusEntryPointNotFound, {}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FocusAssistIsOn(row.status, row.profile), row.on) << row.what;
}

TEST(PopupHoldRule, CountOfTheOtherItemsAndTheQuietHoursEndInCzech)
{
    EXPECT_EQ(QuietTipText(14, 35), "Ztlumeno do 14:35");
    EXPECT_EQ(QuietTipText(0, 5), "Ztlumeno do 00:05");
    EXPECT_EQ(MoreItemsText(1), "a 1 další zpráva");
    EXPECT_EQ(MoreItemsText(2), "a 2 další zprávy");
    EXPECT_EQ(MoreItemsText(4), "a 4 další zprávy");
    EXPECT_EQ(MoreItemsText(5), "a 5 dalších zpráv");
    EXPECT_EQ(MoreItemsText(21), "a 21 dalších zpráv");
}

} // namespace
