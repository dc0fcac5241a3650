#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "GradientFunction.h"
#include "MultiGradient.h"

namespace {

constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr TColor kDarkRed = 0x00005A; // red 90: a ramp from black of 0, 30, 60, 90 over four pixels

// A picture of the given size filled with the marker colour, with a canvas on it.
struct Picture {
    Picture(int width, int height)
    {
        bitmap.SetSize(width, height);
        dc = std::make_unique<TBitmapCanvas>(bitmap);
        RECT all{0, 0, width, height};
        BrushHandle marker(CreateSolidBrush(kMarker));
        FillRect(Dc(), &all, marker.Get());
    }
    HDC Dc() const { return dc->Handle(); }
    COLORREF At(int x, int y) const { return GetPixel(Dc(), x, y); }
    std::vector<int> RedRow(int y, int width) const
    {
        std::vector<int> reds;
        for (int x = 0; x < width; ++x)
            reds.push_back(GetRValue(At(x, y)));
        return reds;
    }

    TBitmap bitmap;
    std::unique_ptr<TBitmapCanvas> dc;
};

void Draw(Picture& picture, const RECT& rect, const std::vector<TColor>& colors, TGradientStyle style, int rotation)
{
    TCanvas canvas(picture.Dc());
    DrawMultiGradient(canvas, rect, colors, style, TGradientStep(rotation));
}

std::vector<TColor> MainWindowColors()
{
    std::vector<TColor> colors(8, clBlack);
    colors.push_back(clRed);
    colors.push_back(clYellow);
    return colors;
}

TEST(DrawMultiGradient, RedToYellowOnThreeByThree)
{
    Picture picture(3, 3);
    Draw(picture, {0, 0, 3, 3}, {clRed, clYellow}, TGradientStyle::gsHorizontal_R, 100);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(picture.At(0, y), RGB(255, 0, 0));
        EXPECT_EQ(picture.At(1, y), RGB(255, 127, 0));
        EXPECT_EQ(picture.At(2, y), RGB(255, 255, 0));
    }
}

// Black to red 90 on 4 × 3: rows run 0, 30, 60, 90; columns 0, 45, 90. Worked out by hand
// from each style's line offsets; each case lists the three rows' red values.
TEST(DrawMultiGradient, EveryStyleOnFourByThree)
{
    using R = std::vector<int>;
    using enum TGradientStyle;
    const struct {
        TGradientStyle style;
        int rotation;
        std::vector<R> rows;
    } cases[] = {
        {gsHorizontal_R, 0, {{0, 30, 60, 90}, {0, 30, 60, 90}, {0, 30, 60, 90}}},
        {gsHorizontal_L, 0, {{90, 60, 30, 0}, {90, 60, 30, 0}, {90, 60, 30, 0}}},
        {gsVertical_B, 0, {{0, 0, 0, 0}, {45, 45, 45, 45}, {90, 90, 90, 90}}},
        {gsVertical_T, 0, {{90, 90, 90, 90}, {45, 45, 45, 45}, {0, 0, 0, 0}}},
        {gsArrow_R, 0, {{30, 60, 90, 90}, {0, 30, 60, 90}, {30, 60, 90, 90}}},
        {gsArrow_L, 0, {{0, 30, 60, 90}, {0, 0, 30, 60}, {30, 0, 0, 30}}},
        {gsArrow_B, 0, {{90, 45, 0, 45}, {90, 90, 45, 90}, {45, 90, 90, 90}}},
        {gsArrow_T, 0, {{0, 45, 0, 0}, {45, 90, 45, 0}, {90, 90, 90, 45}}},
        {gsDiagonal_L, 0, {{30, 60, 90, 90}, {90, 90, 60, 30}, {90, 60, 30, 0}}},
        {gsDiagonal_R, 0, {{90, 90, 60, 30}, {30, 60, 90, 90}, {0, 30, 60, 90}}},
        {gsRotation, 0, {{30, 60, 90, 90}, {90, 90, 60, 30}, {90, 60, 30, 0}}},
        {gsRotation, 50, {{60, 90, 90, 60}, {60, 90, 90, 60}, {60, 90, 90, 60}}},
        {gsRotation, 100, {{90, 90, 60, 30}, {30, 60, 90, 90}, {0, 30, 60, 90}}},
        {gsRotation, -100, {{90, 90, 45, 0}, {90, 90, 90, 45}, {45, 45, 90, 90}}},
    };
    for (const auto& c : cases) {
        Picture picture(4, 3);
        Draw(picture, {0, 0, 4, 3}, {clBlack, kDarkRed}, c.style, c.rotation);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(picture.RedRow(y, 4), c.rows[y]) << "style " << int(c.style) << " rotation " << c.rotation
                                                       << " row " << y;
    }
}

TEST(DrawMultiGradient, ThreeColoursAlongARow)
{
    Picture picture(5, 1);
    Draw(picture, {0, 0, 5, 1}, {RGB(200, 0, 0), RGB(0, 100, 0), RGB(0, 0, 50)}, TGradientStyle::gsHorizontal_R, 0);
    const COLORREF expected[] = {RGB(200, 0, 0), RGB(100, 50, 0), RGB(0, 100, 0), RGB(0, 50, 25), RGB(0, 0, 50)};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(picture.At(x, 0), expected[x]) << x;
}

TEST(DrawMultiGradient, SmallestSizesPaintTheirAreaInTheGivenColoursAndNothingElse)
{
    for (int style = 0; style <= int(TGradientStyle::gsRotation); ++style)
        for (int rotation : {-100, 0, 50, 100})
            for (int width = 0; width <= 2; ++width)
                for (int height = 0; height <= 2; ++height)
                    for (bool tenColours : {false, true}) {
                        Picture picture(4, 4);
                        Draw(picture, {0, 0, width, height}, tenColours ? MainWindowColors() : std::vector<TColor>{clBlack, kDarkRed},
                             TGradientStyle(style), rotation);
                        for (int y = 0; y < 4; ++y)
                            for (int x = 0; x < 4; ++x) {
                                const COLORREF seen = picture.At(x, y);
                                const std::string where = "style " + std::to_string(style) + " rotation " +
                                                          std::to_string(rotation) + " size " + std::to_string(width) +
                                                          "x" + std::to_string(height) + " at " + std::to_string(x) +
                                                          "," + std::to_string(y);
                                if (x >= width || y >= height)
                                    ASSERT_EQ(seen, kMarker) << where;
                                else if (tenColours)
                                    ASSERT_NE(seen, kMarker) << where;
                                else
                                    ASSERT_TRUE(seen == RGB(0, 0, 0) || seen == RGB(90, 0, 0)) << where;
                            }
                    }
}

TEST(DrawMultiGradient, CanvasKeepsItsPen)
{
    Picture picture(8, 8);
    PenHandle pen(CreatePen(PS_DASH, 1, RGB(0, 128, 0)));
    HGDIOBJ old = SelectObject(picture.Dc(), pen.Get());
    Draw(picture, {0, 0, 8, 8}, MainWindowColors(), TGradientStyle::gsDiagonal_R, 0);
    EXPECT_EQ(GetCurrentObject(picture.Dc(), OBJ_PEN), pen.Get());
    SelectObject(picture.Dc(), old);
}

TEST(DrawMultiGradient, FewerThanTwoColoursPaintNothing)
{
    Picture picture(4, 4);
    Draw(picture, {0, 0, 4, 4}, {clRed}, TGradientStyle::gsHorizontal_R, 0);
    Draw(picture, {0, 0, 4, 4}, {}, TGradientStyle::gsHorizontal_R, 0);
    EXPECT_EQ(picture.At(1, 1), kMarker);
}

// The backdrop of the main window: yellow at the top, red at row 44, black from row 88.
TEST(MultiGradient, MainWindowSetUpPaintsYellowRedThenBlack)
{
    for (bool buffered : {false, true}) {
        TMultiGradient backdrop(nullptr);
        backdrop.SetBounds(0, 0, 458, 397);
        for (int slot = 0; slot < TGradient::kSlots; ++slot) {
            backdrop.Gradient.SetActive(slot, true);
            backdrop.Gradient.SetColor(slot, MainWindowColors()[slot]);
        }
        backdrop.Gradient.SetStyle(TGradientStyle::gsVertical_T);
        backdrop.SetBuffered(buffered);
        Picture picture(458, 397);
        {
            TCanvas canvas(picture.Dc());
            backdrop.Paint(canvas);
        }
        for (int x : {0, 229, 457}) {
            EXPECT_EQ(picture.At(x, 0), RGB(255, 255, 0)) << buffered;
            EXPECT_EQ(picture.At(x, 43), RGB(255, 5, 0));
            EXPECT_EQ(picture.At(x, 44), RGB(255, 0, 0));
            EXPECT_EQ(picture.At(x, 66), RGB(127, 0, 0));
            for (int y = 88; y < 397; y += 44)
                EXPECT_EQ(picture.At(x, y), RGB(0, 0, 0)) << y;
            EXPECT_EQ(picture.At(x, 396), RGB(0, 0, 0));
        }
    }
}

TEST(MultiGradient, OneColourFillsAndNoneLeavesTheParentShowing)
{
    TMultiGradient backdrop(nullptr);
    backdrop.SetBounds(0, 0, 4, 4);
    for (int slot = 0; slot < TGradient::kSlots; ++slot)
        backdrop.Gradient.SetActive(slot, slot == 4);
    Picture picture(4, 4);
    {
        TCanvas canvas(picture.Dc());
        backdrop.Paint(canvas);
    }
    EXPECT_EQ(picture.At(3, 3), RGB(128, 128, 0)) << "olive, the fifth slot";

    backdrop.Gradient.SetActive(4, false);
    Picture untouched(4, 4);
    {
        TCanvas canvas(untouched.Dc());
        backdrop.Paint(canvas);
    }
    EXPECT_EQ(untouched.At(3, 3), kMarker);
}

TEST(Gradient, ColoursAndFlagsAlwaysTellTheOwnerStyleAndRotationOnlyWhenTheyChange)
{
    TGradient gradient;
    int changes = 0;
    gradient.OnChange = [&](TGradient&) { ++changes; };
    gradient.SetColor(0, gradient.Color(0));
    gradient.SetActive(0, gradient.Active(0));
    EXPECT_EQ(changes, 2);
    gradient.SetStyle(gradient.Style());
    gradient.SetRotation(100);
    EXPECT_EQ(changes, 2);
    gradient.SetStyle(TGradientStyle::gsArrow_T);
    gradient.SetRotation(250);
    EXPECT_EQ(changes, 3) << "250 is kept as 100, the current value";
    gradient.SetRotation(-250);
    EXPECT_EQ(gradient.Rotation(), -100);
    EXPECT_EQ(changes, 4);
}

} // namespace
