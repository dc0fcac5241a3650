#include "SlidePopup.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "Dpi.h"
#include "SlidePopupForm.h"

TSlidePopup::TSlidePopup(TComponent* owner) : TComponent(owner)
{
    hoverFont_.Style = fsUnderline;
    hoverFont_.Color = clBlue;
    titleFont_.Style = fsBold;
}

void TSlidePopup::SetScrollSpeed(int pixelsPerStep)
{
    // A step of 0 would never finish sliding.
    scrollSpeed_ = uint8_t(std::clamp(pixelsPerStep, 1, 50));
}

bool TSlidePopup::ShowNotification()
{
    const PopupRect work = DesktopWorkArea();
    const int dpi = PopupDpi(work);
    if (!stack_.Admit(QueryTaskbarEdge(), work, ScaleToDpi(Width, dpi), ScaleToDpi(Height, dpi),
                      {ScaleToDpi(PopupStartX, dpi), ScaleToDpi(PopupStartY, dpi)}))
        return false;
    try {
        auto window = std::make_unique<TfrmSlidePopup>(Owner());
        window->TakeSettings(*this);
        window->Display();
        window.release(); // it frees itself when it closes
    } catch (...) {
        stack_.Closed();
        throw;
    }
    return true;
}

int QueryTaskbarEdge()
{
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar))
        return EdgeUnknown;
    return TaskbarEdgeFromRect({bar.rc.left, bar.rc.top, bar.rc.right, bar.rc.bottom});
}

PopupRect DesktopWorkArea()
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left, work.top, work.right, work.bottom};
}

int PopupDpi(const PopupRect& work)
{
    return MonitorDpiAt({(work.Left + work.Right) / 2, (work.Top + work.Bottom) / 2});
}
