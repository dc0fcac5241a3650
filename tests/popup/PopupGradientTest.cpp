#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "PopupGradient.h"

namespace {

const uint32_t kRed = 0x0000FF;
const uint32_t kYellow = 0x00FFFF;

uint32_t Channel(uint32_t color, int index) { return (color >> (8 * index)) & 0xFF; }

TEST(RoundedMulDiv, RoundsHalvesAwayFromZeroAndFailsOnZero)
{
    EXPECT_EQ(RoundedMulDiv(1, 3, 2), 2);
    EXPECT_EQ(RoundedMulDiv(1, -3, 2), -2);
    EXPECT_EQ(RoundedMulDiv(-1, -3, 2), 2);
    EXPECT_EQ(RoundedMulDiv(1, 3, -2), -2);
    EXPECT_EQ(RoundedMulDiv(286, 255, 287), 254);
    EXPECT_EQ(RoundedMulDiv(5, 7, 0), -1);
}

TEST(GradientStepColor, RunsFromTheFirstColourToTheSecond)
{
    EXPECT_EQ(GradientStepColor(kRed, kYellow, 0, 287), kRed);
    EXPECT_EQ(GradientStepColor(kRed, kYellow, 287, 287), kYellow);
    // Middle: green rounds 127.5 up.
    EXPECT_EQ(GradientStepColor(kRed, kYellow, 1, 2), 0x0080FFu);
    EXPECT_EQ(GradientStepColor(0xFFCC99, 0xFFFFFF, 50, 100), 0xFFE6CCu);
}

TEST(GradientStepColor, FallingChannelsRoundTowardTheNearest)
{
    // 255 down to 0 over 2 steps: 255 - 127.5 → 255 - 128.
    EXPECT_EQ(GradientStepColor(0xFFFFFF, 0x000000, 1, 2), 0x7F7F7Fu);
    EXPECT_EQ(GradientStepColor(0xFFFFFF, 0x000000, 2, 2), 0u);
}

TEST(GradientStepColor, KeepsTheLowEightBitsWhenThereAreNoSteps)
{
    // MulDiv by 0 gives -1: each channel is one below its start colour, wrapped.
    EXPECT_EQ(GradientStepColor(0x000000, 0xFFFFFF, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GradientStepColor(0x102030, 0xFFFFFF, 0, 0), 0x0F1F2Fu);
}

TEST(GradientStepColor, HorizontalGradientDoesNotOvershootAtTheRightEdge)
{
    // A window wider than tall: 190 columns, colours from GradientColor1 to GradientColor2.
    const uint32_t from = 0x3366CC;
    const uint32_t to = 0xCC9933;
    const int width = 190;
    for (int column = 0; column <= width; ++column) {
        const uint32_t color = GradientStepColor(from, to, column, width);
        for (int index = 0; index < 3; ++index) {
            const uint32_t low = std::min(Channel(from, index), Channel(to, index));
            const uint32_t high = std::max(Channel(from, index), Channel(to, index));
            EXPECT_GE(Channel(color, index), low) << column;
            EXPECT_LE(Channel(color, index), high) << column;
        }
    }
    EXPECT_EQ(GradientStepColor(from, to, width, width), to);
    const uint32_t lastColumn = GradientStepColor(from, to, width - 1, width);
    for (int index = 0; index < 3; ++index)
        EXPECT_LE(std::abs(int(Channel(lastColumn, index)) - int(Channel(to, index))), 1);
}

} // namespace
