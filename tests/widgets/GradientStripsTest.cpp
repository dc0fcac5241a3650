#include "GradientStrips.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Reds(const std::vector<Rgb>& line)
{
    std::vector<int> reds;
    for (const Rgb& c : line)
        reds.push_back(c.r);
    return reds;
}

std::vector<Rgb> RedRamp(std::initializer_list<int> reds)
{
    std::vector<Rgb> colours;
    for (int r : reds)
        colours.push_back({uint8_t(r), 0, 0});
    return colours;
}

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kYellow{255, 255, 0};

TEST(GradientLine, RedToYellowOverThreePixelsTruncatesTheMiddle)
{
    EXPECT_EQ(GradientLine({kRed, kYellow}, 3), (std::vector<Rgb>{kRed, {255, 127, 0}, kYellow}));
}

TEST(GradientLine, ThreeColoursOverFivePixelsUseBandsOfTwoRoundedToEven)
{
    const std::vector<Rgb> line = GradientLine({{200, 0, 0}, {0, 100, 0}, {0, 0, 50}}, 5);
    EXPECT_EQ(line, (std::vector<Rgb>{{200, 0, 0}, {100, 50, 0}, {0, 100, 0}, {0, 50, 25}, {0, 0, 50}}));
}

TEST(GradientLine, MainWindowColumnHasBandsOf44)
{
    std::vector<Rgb> colours(8, kBlack);
    colours.push_back(kRed);
    colours.push_back(kYellow);
    const std::vector<Rgb> line = GradientLine(colours, 397);
    EXPECT_EQ(line[396], kYellow);
    EXPECT_EQ(line[395], (Rgb{255, 249, 0}));
    EXPECT_EQ(line[353], (Rgb{255, 5, 0}));
    EXPECT_EQ(line[352], kRed);
    EXPECT_EQ(line[330], (Rgb{127, 0, 0}));
    EXPECT_EQ(line[308], kBlack);
    EXPECT_EQ(line[0], kBlack);
}

TEST(GradientLine, LinesTooShortForTheirBandsStillRunFromFirstToLastColour)
{
    const struct {
        std::vector<Rgb> colours;
        int length;
        std::vector<int> reds;
    } cases[] = {
        {RedRamp({0, 40, 80, 120, 160}), 7, {0, 26, 53, 80, 106, 133, 160}}, // band 2, last band 1 pixel
        {RedRamp({0, 40, 80, 120, 160}), 6, {0, 32, 64, 96, 128, 160}},       // last band would be empty
        {RedRamp({0, 90}), 1, {0}},
        {RedRamp({0, 90}), 2, {0, 90}},
        {RedRamp({0, 10, 20, 30, 40, 50, 60, 70, 80, 90}), 3, {0, 45, 90}}, // bands of no pixel
        {RedRamp({0, 90}), 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Reds(GradientLine(c.colours, c.length)), c.reds) << "length " << c.length;
}

TEST(GradientStrip, HoldsTheLineForwardsMirroredForwardsMirrored)
{
    EXPECT_EQ(Reds(FourFoldStrip(RedRamp({0, 45, 90}))),
              (std::vector<int>{0, 45, 90, 90, 45, 0, 0, 45, 90, 90, 45, 0}));
}

TEST(GradientLayout, EveryLineOfEveryStyleLiesInsideItsStrip)
{
    const int sizes[] = {1, 2, 3, 7, 458, 10000};
    for (int style = 0; style <= int(TGradientStyle::gsRotation); ++style)
        for (int rotation : {-100, -37, 0, 50, 100})
            for (int width : sizes)
                for (int height : sizes) {
                    const GradientLines lines = GradientLayout(TGradientStyle(style), rotation, width, height);
                    const int along = lines.rows ? width : height;
                    ASSERT_EQ(lines.starts.size(), size_t(lines.rows ? height : width));
                    for (int start : lines.starts)
                        ASSERT_TRUE(start >= 0 && start + along <= 4 * along)
                            << style << " " << rotation << " " << width << "x" << height;
                }
}

TEST(GradientLayout, EmptyAreaHasNoLines)
{
    EXPECT_TRUE(GradientLayout(TGradientStyle::gsArrow_L, 0, 0, 5).starts.empty());
    EXPECT_TRUE(GradientLayout(TGradientStyle::gsVertical_T, 0, 5, 0).starts.empty());
}

} // namespace
