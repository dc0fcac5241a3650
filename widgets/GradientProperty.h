#pragma once
#include <array>
#include <functional>
#include <vector>

#include "GradientTypes.h"
#include "Graphics.h"

// What a gradient looks like: ten colour slots, each on or off, a style and a slant.
// Every change is told to the owner through OnChange.
class TGradient {
public:
    static constexpr int kSlots = 10;

    TGradient();
    virtual ~TGradient() = default;
    TGradient(const TGradient&) = delete;
    TGradient& operator=(const TGradient&) = delete;

    bool Active(int slot) const { return active_.at(slot); }
    TColor Color(int slot) const { return colors_.at(slot); }
    // Both tell the owner even when the value stays the same.
    void SetActive(int slot, bool active);
    void SetColor(int slot, TColor color);

    TGradientStyle Style() const { return style_; }
    void SetStyle(TGradientStyle style);
    TGradientStep Rotation() const { return rotation_; }
    // Kept within -100..100.
    void SetRotation(int rotation);

    // The colours of the active slots, in slot order.
    std::vector<TColor> ActiveColors() const;

    std::function<void(TGradient&)> OnChange;

protected:
    virtual void Changed();

private:
    std::array<bool, kSlots> active_;
    std::array<TColor, kSlots> colors_;
    TGradientStyle style_ = TGradientStyle::gsHorizontal_L;
    TGradientStep rotation_ = 100;
};
