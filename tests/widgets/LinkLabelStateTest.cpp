#include "LinkLabelState.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kAqua = 0xFFFF00;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x008000;

// A link as the main window sets it up: yellow, aqua once visited, 100 × 13.
LinkLabelState MainWindowLink()
{
    LinkLabelState link;
    link.FontColorChanged(kYellow);
    link.SetVisitedColor(kAqua);
    return link;
}

TEST(LinkLabelState, ClickReleasedOnTheLabelOpensAndStaysVisited)
{
    LinkLabelState link = MainWindowLink();
    EXPECT_EQ(link.UnvisitedColor(), kYellow) << "the font colour set up the unvisited colour";
    link.LeftDown();
    EXPECT_EQ(link.FontColor(), kRed);
    EXPECT_TRUE(link.LeftUp(50, 6, 100, 13));
    EXPECT_TRUE(link.Visited());
    EXPECT_FALSE(link.Pressed());
    EXPECT_EQ(link.FontColor(), kAqua);
    link.Leave();
    EXPECT_EQ(link.FontColor(), kAqua);
}

TEST(LinkLabelState, ReleaseOnTheRightAndBottomEdgeCountsAsInsideAndBeyondAsOutside)
{
    const struct {
        int x, y;
        bool opens;
    } cases[] = {{100, 0, true}, {0, 13, true}, {100, 13, true}, {101, 5, false}, {5, 14, false}, {-1, 5, false}};
    for (const auto& c : cases) {
        LinkLabelState link = MainWindowLink();
        link.LeftDown();
        EXPECT_EQ(link.LeftUp(c.x, c.y, 100, 13), c.opens) << c.x << "," << c.y;
        EXPECT_EQ(link.FontColor(), c.opens ? kAqua : kYellow);
        EXPECT_EQ(link.Visited(), c.opens);
    }
}

TEST(LinkLabelState, DragOutCancelsUnlessDraggedBackBeforeRelease)
{
    LinkLabelState link = MainWindowLink();
    link.LeftDown();
    link.Leave();
    EXPECT_EQ(link.FontColor(), kYellow) << "outside, the resting colour shows even while pressed";
    EXPECT_EQ(link.UnvisitedColor(), kYellow);
    link.Enter();
    EXPECT_EQ(link.FontColor(), kRed) << "back on the label, pressed again";
    EXPECT_TRUE(link.LeftUp(3, 3, 100, 13));

    LinkLabelState cancelled = MainWindowLink();
    cancelled.LeftDown();
    cancelled.Leave();
    EXPECT_FALSE(cancelled.LeftUp(150, 3, 100, 13));
    EXPECT_FALSE(cancelled.Visited());
    EXPECT_EQ(cancelled.FontColor(), kYellow);
    EXPECT_FALSE(cancelled.LeftUp(3, 3, 100, 13)) << "a release without a press opens nothing";
}

TEST(LinkLabelState, HoverModeUnderlinesAndColoursOnlyWhileTheMouseIsOver)
{
    LinkLabelState link = MainWindowLink();
    link.SetCanHover(true);
    EXPECT_FALSE(link.Underlined());
    link.Enter();
    EXPECT_TRUE(link.Underlined());
    EXPECT_EQ(link.FontColor(), kWhite);
    link.LeftDown();
    EXPECT_TRUE(link.LeftUp(1, 1, 100, 13));
    EXPECT_EQ(link.FontColor(), kWhite) << "hovered colour until the mouse leaves";
    link.Leave();
    EXPECT_FALSE(link.Underlined());
    EXPECT_EQ(link.FontColor(), kAqua);

    LinkLabelState plain = MainWindowLink();
    plain.Enter();
    EXPECT_TRUE(plain.Underlined());
    EXPECT_EQ(plain.FontColor(), kYellow) << "without hover mode, entering changes nothing";
}

TEST(LinkLabelState, FontColourBecomesTheCurrentStatesColourOnlyWithoutHoverAndPress)
{
    LinkLabelState link = MainWindowLink();
    link.FontColorChanged(kGreen);
    EXPECT_EQ(link.UnvisitedColor(), kGreen);

    link.LeftDown();
    link.FontColorChanged(kWhite);
    EXPECT_EQ(link.UnvisitedColor(), kGreen) << "not while pressed";
    link.LeftUp(1, 1, 100, 13);
    link.FontColorChanged(kGreen);
    EXPECT_EQ(link.VisitedColor(), kGreen) << "visited: the visited colour follows";
    EXPECT_EQ(link.UnvisitedColor(), kGreen);

    LinkLabelState hovering = MainWindowLink();
    hovering.SetCanHover(true);
    hovering.FontColorChanged(kGreen);
    EXPECT_EQ(hovering.UnvisitedColor(), kYellow) << "not in hover mode";
}

TEST(LinkLabelState, ColourSettingsShowOnlyForTheCurrentState)
{
    LinkLabelState link = MainWindowLink();
    link.SetVisitedColor(kGreen);
    EXPECT_EQ(link.FontColor(), kYellow);
    link.SetUnvisitedColor(kWhite);
    EXPECT_EQ(link.FontColor(), kWhite);
    EXPECT_EQ(link.UnvisitedColor(), kWhite);

    link.LeftDown();
    link.LeftUp(1, 1, 100, 13);
    link.SetUnvisitedColor(kYellow);
    EXPECT_EQ(link.FontColor(), kGreen);
    EXPECT_EQ(link.UnvisitedColor(), kYellow);
    link.SetVisitedColor(kAqua);
    EXPECT_EQ(link.FontColor(), kAqua);
}

} // namespace
