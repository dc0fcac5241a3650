#include <gtest/gtest.h>


#include "FxLabels.h"

namespace {

TEST(FxLabel, EffectValuesMakeTheLookCustomAndAPresetWritesItsValuesAgain)
{
    TFxLabel label(nullptr);
    label.SetShadowStyle(TShadowStyle::ssRaised);
    EXPECT_EQ(label.HighlightDirection(), TDirection::drUpLeft);
    EXPECT_EQ(label.HighlightDepth(), 1);
    label.SetShadowDepth(3);
    EXPECT_EQ(label.ShadowStyle(), TShadowStyle::ssCustom);
    label.SetShadowStyle(TShadowStyle::ssThickShadow);
    EXPECT_EQ(label.ShadowStyle(), TShadowStyle::ssThickShadow);
    EXPECT_EQ(label.ShadowDirection(), TDirection::drDownRight);
    EXPECT_EQ(label.ShadowDepth(), 1);
    EXPECT_EQ(label.ShadowSize(), 4);
    EXPECT_EQ(label.HighlightDirection(), TDirection::drNone);
    label.SetShadowStyle(TShadowStyle::ssRecessedColor);
    EXPECT_EQ(label.Font.Color, clBtnFace);
}

TEST(FxLabel, ShiftLeftKeepsAutoSizeShiftRightAndTurningEndIt)
{
    TFxLabel left(nullptr);
    left.SetOffsetX(-3);
    EXPECT_TRUE(left.AutoSize);
    TFxLabel right(nullptr);
    right.SetOffsetX(3);
    EXPECT_FALSE(right.AutoSize);
    TFxLabel turned(nullptr);
    turned.SetAngle(450);
    EXPECT_EQ(turned.Angle(), 90);
    EXPECT_FALSE(turned.AutoSize);
}

// ssShadow draws the shadow two pixels down and right of the text: below the text, the
// shadow's first column is two columns right of the text's first.
// At 96 dpi, and at 192 where the look is drawn twice as large.
TEST(FxLabel, ShadowLookDrawsTheShadowTwoPixelsDownAndRightAtTheScale)
{
    const struct {
        int dpi;
        double shift;
    } scales[] = {{96, 2.0}, {192, 4.0}};
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        TFxLabel label(nullptr);
        label.Font.Set("Tahoma", -16, clWhite);
        label.SetCaption("l");
        label.Transparent = false;
        label.Color = clBlack;
        label.SetShadowStyle(TShadowStyle::ssShadow);
        label.SetShadowColor(RGB(255, 0, 0)); // the look stays, now as ssCustom
        label.AutoSize = false; // the box below, whatever the text's size
        label.SetBounds(0, 0, 20, 24);
        label.ChangeScale(scale.dpi);
        const int width = label.Width(), height = label.Height();
        HDC screen = GetDC(nullptr);
        MemoryDc dc(CreateCompatibleDC(screen));
        BitmapHandle bitmap(CreateCompatibleBitmap(screen, width, height));
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
        {
            TCanvas canvas(dc.Get(), scale.dpi);
            label.Paint(canvas);
        }
        // Where the white text and, in the rows below it, the red shadow lie across: the
        // centres of their coverage (the shadow has no green, the text is white).
        double text = 0, textWeight = 0, shadow = 0, shadowWeight = 0;
        for (int y = 0; y < height; ++y) {
            bool rowHasText = false;
            for (int x = 0; x < width; ++x)
                rowHasText |= GetGValue(GetPixel(dc.Get(), x, y)) > 0;
            for (int x = 0; x < width; ++x) {
                const COLORREF seen = GetPixel(dc.Get(), x, y);
                text += x * GetGValue(seen);
                textWeight += GetGValue(seen);
                if (!rowHasText) {
                    shadow += x * GetRValue(seen);
                    shadowWeight += GetRValue(seen);
                }
            }
        }
        SelectObject(dc.Get(), old);
        ASSERT_GT(textWeight, 0);
        ASSERT_GT(shadowWeight, 0) << "the shadow shows below the text";
        EXPECT_NEAR(shadow / shadowWeight - text / textWeight, scale.shift, 0.5);
    }
}

} // namespace
