#include "NewsPopup.h"

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
    popup.Font().Set("Tahoma", -13, clWindowText, 0, EASTEUROPE_CHARSET);
    popup.HoverFont().Set("MS Sans Serif", -11, clBlue, fsUnderline, DEFAULT_CHARSET);
    popup.TitleFont().Set("MS Sans Serif", -11, clWhite, fsBold, DEFAULT_CHARSET);
    popup.Options = spAutoOpenURL | spAllowScroll | spCloseOnClick;
}
