#include "GradientProperty.h"

#include <algorithm>

TGradient::TGradient()
    : active_{true, true, true, false, false, false, false, false, false, false},
      colors_{0x008000, 0x0000FF, 0xFF0000, 0x00FFFF, 0x008080, 0xFFFFFF, 0x000000, 0x808080, 0x00FF00, 0x800080}
{
}

void TGradient::SetActive(int slot, bool active)
{
    active_.at(slot) = active;
    Changed();
}

void TGradient::SetColor(int slot, TColor color)
{
    colors_.at(slot) = color;
    Changed();
}

void TGradient::SetStyle(TGradientStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TGradient::SetRotation(int rotation)
{
    const auto step = TGradientStep(std::clamp(rotation, -kGradientStepLimit, kGradientStepLimit));
    if (step == rotation_)
        return;
    rotation_ = step;
    Changed();
}

std::vector<TColor> TGradient::ActiveColors() const
{
    std::vector<TColor> colors;
    for (int slot = 0; slot < kSlots; ++slot)
        if (active_[slot])
            colors.push_back(colors_[slot]);
    return colors;
}

void TGradient::Changed()
{
    if (OnChange)
        OnChange(*this);
}
