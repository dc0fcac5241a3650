#include "PopupGeometry.h"

#include <cstdlib>

int TaskbarEdgeFromRect(const PopupRect& bar)
{
    if (bar.Left == bar.Top && bar.Bottom > bar.Right)
        return EdgeLeft;
    if (bar.Left == bar.Top && bar.Bottom < bar.Right)
        return EdgeTop;
    if (bar.Left < bar.Top)
        return EdgeBottom;
    return EdgeRight;
}

PopupBox PlacePopup(int edge, const PopupRect& work, int width, int height, PopupSpacing spacing, int offset)
{
    switch (edge) {
    case EdgeLeft:
        return {work.Left + spacing.StartX, work.Bottom - spacing.StartY - height - offset, width, height};
    case EdgeTop:
        return {work.Right - width - spacing.StartX, work.Top + spacing.StartY + offset, width, height};
    default:
        return {work.Right - width - spacing.StartX, work.Bottom - spacing.StartY - height - offset, width, height};
    }
}

PopupBox SliverOf(int edge, const PopupBox& full)
{
    PopupBox box = full;
    switch (edge) {
    case EdgeLeft:
        box.Width = 1;
        break;
    case EdgeTop:
        box.Height = 1;
        break;
    case EdgeRight:
        box.Left += box.Width;
        box.Width = 1;
        break;
    case EdgeBottom:
        box.Top += box.Height;
        box.Height = 1;
        break;
    }
    return box;
}

SlideStep SlideInStep(int edge, const PopupBox& now, int speed, int fullWidth, int fullHeight,
                      const PopupRect& work, PopupSpacing spacing, int placedOffset)
{
    PopupBox box = now;
    switch (edge) {
    case EdgeLeft:
        if (box.Width + speed < fullWidth) {
            box.Width += speed;
            return {box, false};
        }
        box.Width = fullWidth;
        return {box, true};
    case EdgeTop:
        if (box.Height + speed < fullHeight) {
            box.Height += speed;
            return {box, false};
        }
        box.Height = fullHeight;
        return {box, true};
    case EdgeRight:
        if (box.Width + speed < fullWidth) {
            box.Left -= speed;
            box.Width += speed;
            return {box, false};
        }
        box.Width = fullWidth;
        box.Left = work.Right - spacing.StartX - box.Width;
        return {box, true};
    case EdgeBottom:
        if (box.Height + speed < fullHeight) {
            box.Top -= speed;
            box.Height += speed;
            return {box, false};
        }
        box.Height = fullHeight;
        box.Top = work.Bottom - spacing.StartY - box.Height - placedOffset;
        return {box, true};
    default:
        return {box, true};
    }
}

SlideStep SlideOutStep(int edge, const PopupBox& now, int speed)
{
    PopupBox box = now;
    switch (edge) {
    case EdgeLeft:
        if (box.Width - speed > 0) {
            box.Width -= speed;
            return {box, false};
        }
        break;
    case EdgeTop:
        if (box.Height - speed > 0) {
            box.Height -= speed;
            return {box, false};
        }
        break;
    case EdgeRight:
        if (box.Width - speed > 0) {
            box.Left += speed;
            box.Width -= speed;
            return {box, false};
        }
        break;
    case EdgeBottom:
        if (box.Height - speed > 0) {
            box.Top += speed;
            box.Height -= speed;
            return {box, false};
        }
        break;
    }
    return {now, true};
}

std::vector<PopupPoint> TileOrigins(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight)
{
    std::vector<PopupPoint> origins;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return origins;
    for (int x = 0; x < areaWidth; x += pictureWidth)
        for (int y = 0; y < areaHeight; y += pictureHeight)
            origins.push_back({x, y});
    return origins;
}

int CentredOffset(int outer, int inner)
{
    const int twice = outer - inner;
    // Floor of half, then up when the remainder is a half and the floor is odd.
    const int floorHalf = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
    const bool half = twice % 2 != 0;
    return half && (floorHalf % 2 != 0) ? floorHalf + 1 : floorHalf;
}

int StripScalePercent(int dpi)
{
    const int wanted = dpi * 100 / 96;
    int nearest = 100;
    for (int percent : {100, 125, 150, 175, 200, 250, 300})
        if (std::abs(percent - wanted) < std::abs(nearest - wanted))
            nearest = percent;
    return nearest;
}
