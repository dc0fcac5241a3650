#include "NewsPopup.h"

namespace {
void SetFont(TFont& font, const char* name, int height, TColor color, TFontStyles style, BYTE charset)
{
    font.Name = name;
    font.Height = height;
    font.Color = color;
    font.Style = style;
    font.Charset = charset;
}
} // namespace

void ConfigureNewsPopup(TSlidePopup& popup)
{
    popup.Name = "popup";
    popup.Text = "text";
    popup.Title = "title";
    popup.TimeOut = 25;
    popup.Width = 200;
    popup.Height = 300;
    popup.GradientColor1 = clRed;
    popup.GradientColor2 = clYellow;
    SetFont(popup.Font(), "Tahoma", -13, clWindowText, 0, EASTEUROPE_CHARSET);
    SetFont(popup.HoverFont(), "MS Sans Serif", -11, clBlue, fsUnderline, DEFAULT_CHARSET);
    SetFont(popup.TitleFont(), "MS Sans Serif", -11, clWhite, fsBold, DEFAULT_CHARSET);
    popup.Options = spAutoOpenURL | spAllowScroll | spCloseOnClick;
}
