#include <gtest/gtest.h>

#include <vector>

#include "PopupGeometry.h"

namespace {

const PopupRect kWork{0, 0, 1024, 740};
const PopupSpacing kSpacing{16, 2};

TEST(TaskbarEdge, FollowsTheRectangleRuleInItsOrder)
{
    EXPECT_EQ(TaskbarEdgeFromRect({0, 0, 60, 768}), EdgeLeft);
    EXPECT_EQ(TaskbarEdgeFromRect({0, 0, 1024, 30}), EdgeTop);
    EXPECT_EQ(TaskbarEdgeFromRect({0, 738, 1024, 768}), EdgeBottom);
    EXPECT_EQ(TaskbarEdgeFromRect({964, 0, 1024, 768}), EdgeRight);
    // A square bar in the corner counts as right.
    EXPECT_EQ(TaskbarEdgeFromRect({0, 0, 50, 50}), EdgeRight);
    // What Wine reports: a one-pixel bar along the bottom of the screen.
    EXPECT_EQ(TaskbarEdgeFromRect({0, 1023, 1280, 1024}), EdgeBottom);
}

TEST(Placement, PutsThePopupInTheCornerNextToTheTaskbar)
{
    const PopupRect work{10, 20, 1000, 700};
    EXPECT_EQ(PlacePopup(EdgeLeft, work, 200, 300, kSpacing, 0), (PopupBox{26, 398, 200, 300}));
    EXPECT_EQ(PlacePopup(EdgeTop, work, 200, 300, kSpacing, 0), (PopupBox{784, 22, 200, 300}));
    EXPECT_EQ(PlacePopup(EdgeRight, work, 200, 300, kSpacing, 0), (PopupBox{784, 398, 200, 300}));
    EXPECT_EQ(PlacePopup(EdgeBottom, work, 200, 300, kSpacing, 0), (PopupBox{784, 398, 200, 300}));
}

TEST(Placement, StacksAwayFromTheTaskbar)
{
    EXPECT_EQ(PlacePopup(EdgeBottom, kWork, 148, 121, kSpacing, 123).Top, 740 - 2 - 121 - 123);
    EXPECT_EQ(PlacePopup(EdgeLeft, kWork, 148, 121, kSpacing, 123).Top, 740 - 2 - 121 - 123);
    EXPECT_EQ(PlacePopup(EdgeRight, kWork, 148, 121, kSpacing, 123).Top, 740 - 2 - 121 - 123);
    EXPECT_EQ(PlacePopup(EdgeTop, kWork, 148, 121, kSpacing, 123).Top, 2 + 123);
}

TEST(Placement, UnknownEdgeGoesToTheBottomRightCorner)
{
    EXPECT_EQ(PlacePopup(EdgeUnknown, kWork, 200, 300, kSpacing, 0), PlacePopup(EdgeBottom, kWork, 200, 300, kSpacing, 0));
    EXPECT_EQ(SliverOf(EdgeUnknown, {808, 438, 200, 300}), (PopupBox{808, 438, 200, 300}));
}

TEST(Sliver, IsOnePixelOnTheTaskbarSide)
{
    const PopupBox full{808, 438, 200, 300};
    EXPECT_EQ(SliverOf(EdgeLeft, full), (PopupBox{808, 438, 1, 300}));
    EXPECT_EQ(SliverOf(EdgeTop, full), (PopupBox{808, 438, 200, 1}));
    EXPECT_EQ(SliverOf(EdgeRight, full), (PopupBox{1008, 438, 1, 300}));
    EXPECT_EQ(SliverOf(EdgeBottom, full), (PopupBox{808, 738, 200, 1}));
}

// Runs the slide-in from the sliver to the end; returns every box shown.
std::vector<PopupBox> SlideIn(int edge, int speed, int width, int height, const PopupRect& work, int offset = 0)
{
    std::vector<PopupBox> boxes{SliverOf(edge, PlacePopup(edge, work, width, height, kSpacing, offset))};
    for (int tick = 0; tick < 1000; ++tick) {
        SlideStep step = SlideInStep(edge, boxes.back(), speed, width, height, work, kSpacing, offset);
        boxes.push_back(step.Box);
        if (step.Finished)
            return boxes;
    }
    ADD_FAILURE() << "slide-in never finished";
    return boxes;
}

// From the sliver, steps of 9 along the axis away from the taskbar, then the snap to the
// corner; the side along the taskbar stays where it is.
TEST(SlideIn, EachEdgeGrowsAwayFromItsTaskbarAndSnapsToTheWorkArea)
{
    const struct {
        int edge;
        size_t boxes; // the sliver, the steps of 9, the snap
        PopupBox sliver, first, last;
        int PopupBox::*fixed;
    } cases[] = {
        {EdgeBottom, 35, {808, 738, 200, 1}, {808, 729, 200, 10}, {808, 438, 200, 300}, &PopupBox::Left},
        {EdgeTop, 35, {808, 2, 200, 1}, {808, 2, 200, 10}, {808, 2, 200, 300}, &PopupBox::Top},
        {EdgeLeft, 24, {16, 438, 1, 300}, {16, 438, 10, 300}, {16, 438, 200, 300}, &PopupBox::Left},
        {EdgeRight, 24, {1008, 438, 1, 300}, {999, 438, 10, 300}, {808, 438, 200, 300}, &PopupBox::Top},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        const auto boxes = SlideIn(c.edge, 9, 200, 300, kWork);
        ASSERT_EQ(boxes.size(), c.boxes);
        EXPECT_EQ(boxes[0], c.sliver);
        EXPECT_EQ(boxes[1], c.first);
        const bool sideways = c.edge == EdgeLeft || c.edge == EdgeRight;
        const PopupBox& lastStep = boxes[c.boxes - 2];
        EXPECT_EQ(sideways ? lastStep.Width : lastStep.Height, 1 + int(c.boxes - 2) * 9);
        EXPECT_EQ(boxes.back(), c.last);
        EXPECT_EQ(c.last, PlacePopup(c.edge, kWork, 200, 300, kSpacing, 0));
        for (const PopupBox& box : boxes)
            EXPECT_EQ(box.*c.fixed, c.last.*c.fixed);
    }
}

TEST(SlideIn, SpeedOfTheFullSizeFinishesInOneTick)
{
    for (int edge : {EdgeLeft, EdgeTop, EdgeRight, EdgeBottom}) {
        EXPECT_EQ(SlideIn(edge, 300, 200, 300, kWork).size(), 2u) << edge;
        EXPECT_EQ(SlideIn(edge, 50, 40, 40, kWork).size(), 2u) << edge;
    }
}

TEST(SlideIn, FinalSnapFollowsAWorkAreaThatChanged)
{
    const PopupRect smaller{0, 0, 1000, 700};
    const PopupBox nearlyFull{808, 447, 200, 291};
    EXPECT_EQ(SlideInStep(EdgeBottom, nearlyFull, 9, 200, 300, smaller, kSpacing, 0).Box, (PopupBox{808, 398, 200, 300}));
    EXPECT_EQ(SlideInStep(EdgeBottom, nearlyFull, 9, 200, 300, smaller, kSpacing, 123).Box.Top, 700 - 2 - 300 - 123);
    const PopupBox nearlyWide{817, 438, 191, 300};
    EXPECT_EQ(SlideInStep(EdgeRight, nearlyWide, 9, 200, 300, smaller, kSpacing, 0).Box, (PopupBox{784, 438, 200, 300}));
    // Left and top keep their fixed edge.
    EXPECT_EQ(SlideInStep(EdgeLeft, {16, 438, 191, 300}, 9, 200, 300, smaller, kSpacing, 0).Box, (PopupBox{16, 438, 200, 300}));
    EXPECT_EQ(SlideInStep(EdgeTop, {808, 2, 200, 291}, 9, 200, 300, smaller, kSpacing, 0).Box, (PopupBox{808, 2, 200, 300}));
}

TEST(SlideIn, UnknownEdgeHasNothingToAnimate)
{
    const PopupBox full{808, 438, 200, 300};
    const SlideStep step = SlideInStep(EdgeUnknown, full, 9, 200, 300, kWork, kSpacing, 0);
    EXPECT_TRUE(step.Finished);
    EXPECT_EQ(step.Box, full);
}

// Runs the slide-out; returns the sizes along the sliding axis until the closing tick.
std::vector<int> SlideOut(int edge, PopupBox box, int speed, PopupBox* last = nullptr)
{
    std::vector<int> sizes;
    for (int tick = 0; tick < 1000; ++tick) {
        SlideStep step = SlideOutStep(edge, box, speed);
        if (step.Finished) {
            EXPECT_EQ(step.Box, box) << "the closing tick moves nothing";
            if (last)
                *last = box;
            return sizes;
        }
        box = step.Box;
        sizes.push_back(edge == EdgeLeft || edge == EdgeRight ? box.Width : box.Height);
    }
    ADD_FAILURE() << "slide-out never finished";
    return sizes;
}

TEST(SlideOut, HeightOf121AtSpeed9GoesDownTo4ThenCloses)
{
    std::vector<int> expected;
    for (int height = 112; height > 0; height -= 9)
        expected.push_back(height);
    ASSERT_EQ(expected.back(), 4);
    PopupBox last;
    EXPECT_EQ(SlideOut(EdgeBottom, {876, 617, 148, 121}, 9, &last), expected);
    // The bottom edge stays where it was.
    EXPECT_EQ(last.Top + last.Height, 617 + 121);
    EXPECT_EQ(SlideOut(EdgeTop, {876, 2, 148, 121}, 9, &last), expected);
    EXPECT_EQ(last.Top, 2);
    EXPECT_EQ(SlideOut(EdgeLeft, {16, 2, 121, 148}, 9, &last), expected);
    EXPECT_EQ(last.Left, 16);
    EXPECT_EQ(SlideOut(EdgeRight, {876, 2, 121, 148}, 9, &last), expected);
    EXPECT_EQ(last.Left + last.Width, 876 + 121);
}

TEST(SlideOut, SpeedOfTheFullSizeClosesAtTheFirstTick)
{
    for (int edge : {EdgeLeft, EdgeTop, EdgeRight, EdgeBottom})
        EXPECT_TRUE(SlideOut(edge, {0, 0, 121, 121}, 121).empty()) << edge;
}

TEST(SlideOut, UnknownEdgeClosesAtTheFirstTick)
{
    EXPECT_TRUE(SlideOutStep(EdgeUnknown, {808, 438, 200, 300}, 9).Finished);
}

TEST(Tiling, GoesColumnByColumnAndCoversTheArea)
{
    const std::vector<PopupPoint> expected{{0, 0}, {0, 40}, {0, 80}, {50, 0}, {50, 40}, {50, 80}};
    EXPECT_EQ(TileOrigins(100, 90, 50, 40), expected);
    EXPECT_TRUE(TileOrigins(100, 90, 0, 40).empty());
    EXPECT_TRUE(TileOrigins(100, 90, 50, 0).empty());
}

TEST(Centring, RoundsHalvesToEven)
{
    EXPECT_EQ(CentredOffset(194, 179), 8); // 7.5
    EXPECT_EQ(CentredOffset(100, 95), 2);  // 2.5
    EXPECT_EQ(CentredOffset(100, 90), 5);
    EXPECT_EQ(CentredOffset(294, 51), 122); // 121.5
    EXPECT_EQ(CentredOffset(100, 103), -2); // -1.5
    EXPECT_EQ(CentredOffset(100, 105), -2); // -2.5
}

} // namespace
