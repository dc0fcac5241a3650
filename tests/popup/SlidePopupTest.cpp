#include <gtest/gtest.h>

#include "NewsPopup.h"
#include "PopupWindowTestSupport.h"

namespace {

// A picture of one colour with a differently coloured bottom-left pixel.
void MakePicture(TBitmap& bitmap, int width, int height, COLORREF colour, COLORREF corner)
{
    bitmap.SetSize(width, height);
    TBitmapCanvas canvas(bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(canvas.Handle(), x, y, colour);
    SetPixel(canvas.Handle(), 0, height - 1, corner);
}

COLORREF PixelOf(TBitmap& bitmap, int x, int y)
{
    TBitmapCanvas canvas(bitmap);
    return GetPixel(canvas.Handle(), x, y);
}

TEST(SlidePopup, DefaultsAreThoseOfAFreshComponent)
{
    TSlidePopup popup(nullptr);
    EXPECT_EQ(popup.Text, "text");
    EXPECT_EQ(popup.Title, "title");
    EXPECT_EQ(popup.TimeOut, 10);
    EXPECT_EQ(popup.Width, 148);
    EXPECT_EQ(popup.Height, 121);
    EXPECT_EQ(popup.GradientColor1, 0xFFCC99u);
    EXPECT_EQ(popup.GradientColor2, 0xFFFFFFu);
    EXPECT_EQ(popup.ScrollSpeed(), 9);
    EXPECT_EQ(popup.Options, 61);
    EXPECT_EQ(popup.PopupMarge, 2);
    EXPECT_EQ(popup.PopupStartX, 16);
    EXPECT_EQ(popup.PopupStartY, 2);
    EXPECT_EQ(popup.IconLeft, 8);
    EXPECT_EQ(popup.IconTop, 8);
    EXPECT_TRUE(popup.IconBitmap().Empty());
    EXPECT_TRUE(popup.BackgroundImage().Empty());
    EXPECT_EQ(popup.HoverFont().Style, TFontStyles(fsUnderline));
    EXPECT_EQ(popup.HoverFont().Color, clBlue);
    EXPECT_EQ(popup.TitleFont().Style, TFontStyles(fsBold));
    EXPECT_EQ(popup.Font().Style, TFontStyles(0));
    EXPECT_EQ(popup.OpenCount(), 0);
    EXPECT_EQ(popup.StackOffset(), 0);
    EXPECT_EQ(popup.KnownEdge(), 0);
}

TEST(SlidePopup, FontsAndBitmapsAreCopiedIn)
{
    TSlidePopup popup(nullptr);
    TFont font;
    font.Name = "Tahoma";
    font.Color = clRed;
    popup.SetFont(font);
    font.Color = clWhite;
    EXPECT_EQ(popup.Font().Name, "Tahoma");
    EXPECT_EQ(popup.Font().Color, clRed);
    popup.SetTitleFont(popup.TitleFont());
    EXPECT_EQ(popup.TitleFont().Style, TFontStyles(fsBold));

    TBitmap picture;
    MakePicture(picture, 4, 3, RGB(0, 0, 255), RGB(0, 0, 255));
    popup.SetIconBitmap(picture);
    MakePicture(picture, 4, 3, RGB(0, 255, 0), RGB(0, 255, 0));
    EXPECT_EQ(popup.IconBitmap().Width(), 4);
    EXPECT_EQ(PixelOf(popup.IconBitmap(), 1, 1), RGB(0, 0, 255));
    EXPECT_NE(popup.IconBitmap().Handle(), picture.Handle());
    popup.SetIconBitmap(popup.IconBitmap());
    EXPECT_EQ(PixelOf(popup.IconBitmap(), 1, 1), RGB(0, 0, 255));
}

TEST(SlidePopup, ScrollSpeedStaysWithinOneToFifty)
{
    TSlidePopup popup(nullptr);
    popup.SetScrollSpeed(0);
    EXPECT_EQ(popup.ScrollSpeed(), 1);
    popup.SetScrollSpeed(300);
    EXPECT_EQ(popup.ScrollSpeed(), 50);
}

TEST(SlidePopup, NewsConfiguration)
{
    TSlidePopup popup(nullptr);
    ConfigureNewsPopup(popup);
    EXPECT_EQ(popup.TimeOut, 25);
    EXPECT_EQ(popup.Width, 200);
    EXPECT_EQ(popup.Height, 300);
    EXPECT_EQ(popup.GradientColor1, clRed);
    EXPECT_EQ(popup.GradientColor2, clYellow);
    EXPECT_EQ(popup.Options, spAutoOpenURL | spAllowScroll | spAllowHyperlink | spCloseOnClick);
    EXPECT_EQ(popup.Font().Name, "Tahoma");
    EXPECT_EQ(popup.Font().Charset, EASTEUROPE_CHARSET);
    EXPECT_EQ(popup.Font().Color, clWindowText);
    EXPECT_EQ(popup.TitleFont().Color, clWhite);
    EXPECT_EQ(popup.TitleFont().Style, TFontStyles(fsBold));
    EXPECT_EQ(popup.HoverFont().Color, clBlue);
}

class PopupPicture : public ::testing::Test {
protected:
    PopupPicture()
    {
        popup->Options = spCloseOnClick;
        popup->TimeOut = 0;
    }
    TfrmSlidePopup& ShowOne()
    {
        EXPECT_TRUE(popup->ShowNotification());
        return *PopupWindows(owner).back();
    }

    TComponent owner{nullptr};
    TSlidePopup* popup = new TSlidePopup(&owner);
};

TEST_F(PopupPicture, IconIsDrawnTransparentlyAndMovesNothing)
{
    TBitmap icon;
    MakePicture(icon, 16, 16, RGB(0, 0, 255), RGB(255, 255, 255));
    popup->SetIconBitmap(icon);
    popup->IconLeft = 20;
    popup->IconTop = 30;
    TfrmSlidePopup& window = ShowOne();
    TBitmap& picture = window.imgGradient->Picture;
    EXPECT_EQ(PixelOf(picture, 28, 38), RGB(0, 0, 255));
    // Its bottom-left colour is left out: the gradient shows through.
    EXPECT_EQ(PixelOf(picture, 20, 45), PixelOf(picture, 40, 45));
    EXPECT_EQ(window.lblTitle->Left(), 48);
}

TEST_F(PopupPicture, BackgroundImageReplacesGradientAndStrip)
{
    TBitmap background;
    // Its bottom-left blue is the transparent colour.
    MakePicture(background, 30, 20, RGB(0, 128, 0), RGB(0, 0, 255));
    {
        TBitmapCanvas canvas(background);
        SetPixel(canvas.Handle(), 5, 5, RGB(200, 0, 0));
    }
    popup->SetBackgroundImage(background);

    popup->BackgroundDrawMethod = TSlideImageDrawMethod::dmActualSize;
    TfrmSlidePopup& actual = ShowOne();
    EXPECT_TRUE(actual.imgStrip->Picture.Empty());
    EXPECT_EQ(PixelOf(actual.imgGradient->Picture, 5, 5), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(actual.imgGradient->Picture, 10, 10), RGB(0, 128, 0));
    EXPECT_EQ(PixelOf(actual.imgGradient->Picture, 35, 25), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(actual.imgGradient->Picture, 0, 19), RGB(255, 255, 255));

    popup->BackgroundDrawMethod = TSlideImageDrawMethod::dmTile;
    TfrmSlidePopup& tiled = ShowOne();
    EXPECT_EQ(PixelOf(tiled.imgGradient->Picture, 35, 25), RGB(200, 0, 0));
    EXPECT_EQ(PixelOf(tiled.imgGradient->Picture, 125, 105), RGB(200, 0, 0));

    popup->BackgroundDrawMethod = TSlideImageDrawMethod::dmFit;
    TfrmSlidePopup& fitted = ShowOne();
    TBitmap& picture = fitted.imgGradient->Picture;
    const int width = picture.Width();
    const int height = picture.Height();
    EXPECT_EQ(PixelOf(picture, width - 1, height - 1), RGB(0, 128, 0));
    EXPECT_EQ(PixelOf(picture, width * 5 / 30 + 1, height * 5 / 20 + 1), RGB(200, 0, 0));
}

TEST_F(PopupPicture, HorizontalGradientRunsFromLeftToRightEdge)
{
    popup->GradientOrientation = TOrientation::mbHorizontal;
    popup->GradientColor1 = clBlack;
    popup->GradientColor2 = clWhite;
    popup->Width = 400;
    TfrmSlidePopup& window = ShowOne();
    TBitmap& picture = window.imgGradient->Picture;
    EXPECT_EQ(PixelOf(picture, 0, 10), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(picture, 0, picture.Height() - 1), RGB(0, 0, 0));
    const COLORREF right = PixelOf(picture, picture.Width() - 1, 10);
    EXPECT_GE(GetRValue(right), 253);
    EXPECT_EQ(GetRValue(right), GetBValue(right));
}

} // namespace
