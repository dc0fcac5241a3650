#include <gtest/gtest.h>

#include "PopupHoldRule.h"

namespace {

const HoldRect kMonitor{0, 0, 1280, 1024};
const HoldRect kSecondMonitor{1280, 0, 2560, 1024};

PopupHoldFacts Front(int shellState, HoldRect window, HoldRect monitor = kMonitor, bool maximizedWithCaption = false)
{
    return {shellState, false, maximizedWithCaption, window, monitor};
}

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
        {{snsAcceptsNotifications, true, false, whole, kMonitor}, false},
        {{snsBusy, true, false, {}, kMonitor}, true},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(MustHoldPopups(rows[i].facts), rows[i].hold) << "row " << i;
}

TEST(PopupHoldRule, CountOfTheOtherItemsInCzech)
{
    EXPECT_EQ(MoreItemsText(1), "a 1 další zpráva");
    EXPECT_EQ(MoreItemsText(2), "a 2 další zprávy");
    EXPECT_EQ(MoreItemsText(4), "a 4 další zprávy");
    EXPECT_EQ(MoreItemsText(5), "a 5 dalších zpráv");
    EXPECT_EQ(MoreItemsText(21), "a 21 dalších zpráv");
}

} // namespace
