#include <gtest/gtest.h>

#include "PopupStack.h"

namespace {

const PopupRect kWork{0, 0, 1024, 740};
const PopupSpacing kSpacing{16, 2};

// Admits and places one popup as a show does; returns its offset, or -1 when refused.
int Show(PopupStack& stack, int edge, bool cascade, int width = 148, int height = 121)
{
    if (!stack.Admit(edge, kWork, width, height, kSpacing))
        return -1;
    return stack.Place(cascade, edge, height, 2);
}

TEST(PopupStack, CascadingPutsTheSecondPopup123PixelsFurther)
{
    PopupStack stack;
    EXPECT_EQ(Show(stack, EdgeBottom, true), 0);
    EXPECT_EQ(Show(stack, EdgeBottom, true), 123);
    EXPECT_EQ(stack.OpenCount, 2);
    const int first = PlacePopup(EdgeBottom, kWork, 148, 121, kSpacing, 0).Top;
    const int second = PlacePopup(EdgeBottom, kWork, 148, 121, kSpacing, 123).Top;
    EXPECT_EQ(first - second, 123);
}

TEST(PopupStack, RefusesOnceTheStackWouldLeaveTheWorkArea)
{
    PopupStack stack;
    int shown = 0;
    while (Show(stack, EdgeBottom, true) >= 0)
        ++shown;
    // Offsets 0, 123, … while offset + 121 + 2 <= 740: the sixth (615) still fits.
    EXPECT_EQ(shown, 6);
    EXPECT_EQ(stack.OpenCount, 6);
    EXPECT_EQ(stack.StackOffset, 738);
    // A refusal changes nothing.
    EXPECT_EQ(Show(stack, EdgeBottom, true), -1);
    EXPECT_EQ(stack.OpenCount, 6);
    EXPECT_EQ(stack.StackOffset, 738);
}

TEST(PopupStack, RoomCheckPerEdge)
{
    EXPECT_FALSE(PopupRoomRefused(EdgeLeft, 1024 - 148 - 16, kWork, 148, 121, kSpacing));
    EXPECT_TRUE(PopupRoomRefused(EdgeLeft, 1024 - 148 - 15, kWork, 148, 121, kSpacing));
    EXPECT_FALSE(PopupRoomRefused(EdgeTop, 740 - 121 - 2, kWork, 148, 121, kSpacing));
    EXPECT_TRUE(PopupRoomRefused(EdgeTop, 740 - 121 - 1, kWork, 148, 121, kSpacing));
    EXPECT_FALSE(PopupRoomRefused(EdgeRight, 1024 - 121 - 2, kWork, 148, 121, kSpacing));
    EXPECT_TRUE(PopupRoomRefused(EdgeRight, 1024 - 121 - 1, kWork, 148, 121, kSpacing));
    EXPECT_FALSE(PopupRoomRefused(EdgeBottom, 740 - 121 - 2, kWork, 148, 121, kSpacing));
    EXPECT_TRUE(PopupRoomRefused(EdgeBottom, 740 - 121 - 1, kWork, 148, 121, kSpacing));
    EXPECT_FALSE(PopupRoomRefused(EdgeUnknown, 100000, kWork, 148, 121, kSpacing));
}

TEST(PopupStack, AllClosedStartsAgainAtOffsetZero)
{
    PopupStack stack;
    Show(stack, EdgeBottom, true);
    Show(stack, EdgeBottom, true);
    Show(stack, EdgeBottom, true);
    stack.Closed();
    stack.Closed();
    EXPECT_EQ(Show(stack, EdgeBottom, true), 369) << "a close does not pull the stack back";
    stack.Closed();
    stack.Closed();
    EXPECT_EQ(stack.OpenCount, 0);
    EXPECT_EQ(Show(stack, EdgeBottom, true), 0);
}

TEST(PopupStack, CountNeverGoesBelowZero)
{
    PopupStack stack;
    stack.Closed();
    EXPECT_EQ(stack.OpenCount, 0);
}

TEST(PopupStack, AnotherTaskbarEdgeRestartsTheCount)
{
    PopupStack stack;
    EXPECT_EQ(stack.KnownEdge, EdgeLeft);
    Show(stack, EdgeBottom, true);
    Show(stack, EdgeBottom, true);
    EXPECT_EQ(stack.KnownEdge, EdgeBottom);
    EXPECT_EQ(Show(stack, EdgeRight, true), 0);
    EXPECT_EQ(stack.KnownEdge, EdgeRight);
    EXPECT_EQ(stack.OpenCount, 1);
}

TEST(PopupStack, WithoutCascadingEveryPopupGoesToTheBase)
{
    PopupStack stack;
    EXPECT_EQ(Show(stack, EdgeBottom, false, 200, 300), 0);
    EXPECT_EQ(Show(stack, EdgeBottom, false, 200, 300), 0);
    EXPECT_EQ(stack.StackOffset, 0);
    EXPECT_EQ(stack.OpenCount, 2);
}

TEST(PopupStack, UnknownEdgeIsNeverRefusedAndDoesNotStack)
{
    PopupStack stack;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Show(stack, EdgeUnknown, true, 200, 300), 0);
    EXPECT_EQ(stack.OpenCount, 20);
}

} // namespace
