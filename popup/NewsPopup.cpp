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
    // The text's own font, underlined: a smaller one would wrap the text anew under the pointer.
    popup.HoverFont().Set("Tahoma", -13, clBlue, fsUnderline, EASTEUROPE_CHARSET);
    popup.TitleFont().Set("MS Sans Serif", -11, clWhite, fsBold, DEFAULT_CHARSET);
    // The system's hand over the link.
    popup.TextCursor = -21;
    popup.Options = spAutoOpenURL | spAllowScroll | spAllowHyperlink | spCloseOnClick;
}
