#include "FxLabelGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(FxLabelGeometry, AnglesAreKeptAs0To359)
{
    const std::pair<int, int> cases[] = {{450, 90}, {-90, 270}, {360, 0}, {-720, 0}, {359, 359}, {-1, 359}};
    for (auto [given, kept] : cases)
        EXPECT_EQ(NormalAngle(given), kept) << given;
}

TEST(FxLabelGeometry, RotatedTextStartsAtTheCornerOfItsUnrotatedTopLeft)
{
    using enum THorizontalPlace;
    using enum TVerticalAlignment;
    // Text 50 × 10; worked out from the turned box of each quadrant.
    const struct {
        int angle, clientWidth, clientHeight;
        THorizontalPlace horizontal;
        TVerticalAlignment vertical;
        Point start;
    } cases[] = {
        {90, 20, 60, Left, vaTop, {0, 50}},      // box 10 × 50, reading upwards from the bottom
        {90, 20, 60, Center, vaTop, {5, 50}},    // (20 - 10) / 2 to the right
        {180, 20, 60, Left, vaTop, {20, 10}},    // box 50 × 10 clipped to 20 wide, upside down
        {270, 20, 60, Right, vaTop, {20, 0}},    // box 10 × 50 at the right edge, reading down
        {60, 100, 100, Left, vaTop, {0, 43}},    // box 33 × 48
        {60, 100, 100, Left, vaBottom, {0, 95}}, // moved down by 100 - 48
        {60, 100, 100, Right, vaCenter, {67, 69}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RotatedTextStart(c.angle, 50, 10, c.clientWidth, c.clientHeight, c.horizontal, c.vertical), c.start)
            << c.angle;
}

TEST(FxLabelGeometry, TextTallerThanTheLabelMovesUpByTheOverflowOrHalfOfIt)
{
    EXPECT_EQ(VerticalShift(TVerticalAlignment::vaTop, 30, 13), 0);
    EXPECT_EQ(VerticalShift(TVerticalAlignment::vaCenter, 10, 25), 7);
    EXPECT_EQ(VerticalShift(TVerticalAlignment::vaCenter, 30, 13), -9);
    EXPECT_EQ(VerticalShift(TVerticalAlignment::vaBottom, 30, 13), -17);
}

} // namespace
