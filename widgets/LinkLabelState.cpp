#include "LinkLabelState.h"

void LinkLabelState::LeftDown()
{
    pressed_ = true;
    FontColorChanged(ActivatedColor);
}

bool LinkLabelState::LeftUp(int x, int y, int width, int height)
{
    const bool inside = x >= 0 && x <= width && y >= 0 && y <= height;
    const bool opens = inside && pressed_;
    if (opens) {
        visited_ = true;
        FontColorChanged(canHover_ ? hovered_ : visitedColor_);
    } else if (!inside) {
        FontColorChanged(RestingColor());
    }
    pressed_ = false;
    return opens;
}

void LinkLabelState::Enter()
{
    if (canHover_)
        underlined_ = true;
    if (pressed_)
        FontColorChanged(ActivatedColor);
    else if (canHover_)
        FontColorChanged(hovered_);
}

void LinkLabelState::Leave()
{
    if (canHover_)
        underlined_ = false;
    FontColorChanged(RestingColor());
}

void LinkLabelState::FontColorChanged(Color color)
{
    fontColor_ = color;
    if (canHover_ || pressed_)
        return;
    if (visited_)
        visitedColor_ = color;
    else
        unvisited_ = color;
}

void LinkLabelState::SetUnvisitedColor(Color color)
{
    if (color == unvisited_)
        return;
    if (visited_)
        unvisited_ = color;
    else
        FontColorChanged(color);
}

void LinkLabelState::SetVisitedColor(Color color)
{
    if (color == visitedColor_)
        return;
    if (visited_)
        FontColorChanged(color);
    else
        visitedColor_ = color;
}

void LinkLabelState::SetHoveredColor(Color color) { hovered_ = color; }

void LinkLabelState::SetCanHover(bool canHover)
{
    canHover_ = canHover;
    underlined_ = !canHover;
}
