#pragma once
#include "FxLabelGeometry.h"
#include "StdCtrls.h"

// A label that can turn its text, shift it, place it vertically and give it a raised,
// recessed or shadowed look from extra draws of the text in other colours.
class TFxCustomLabel : public TLabel {
public:
    explicit TFxCustomLabel(TComponent* owner);

    int Angle() const { return angle_; }
    // Any angle, stored as 0..359; a turned text is not auto-sized.
    void SetAngle(int degrees);
    int OffsetX() const { return offsetX_; }
    int OffsetY() const { return offsetY_; }
    // A shift to the right or down turns auto size off (it would cut the shifted text).
    void SetOffsetX(int offset);
    void SetOffsetY(int offset);

    TDirection HighlightDirection() const { return highlightDirection_; }
    int HighlightDepth() const { return highlightDepth_; }
    TColor HighlightColor() const { return highlightColor_; }
    TShadowStyle ShadowStyle() const { return shadowStyle_; }
    TDirection ShadowDirection() const { return shadowDirection_; }
    int ShadowDepth() const { return shadowDepth_; }
    int ShadowSize() const { return shadowSize_; }
    TColor ShadowColor() const { return shadowColor_; }
    // Each of these makes the look ssCustom, unless a preset is writing it. The highlight
    // depth is kept within -1280..1280, the shadow's depth and size within 0..1280.
    void SetHighlightDirection(TDirection direction);
    void SetHighlightDepth(int depth);
    void SetHighlightColor(TColor color);
    void SetShadowDirection(TDirection direction);
    void SetShadowDepth(int depth);
    void SetShadowSize(int size);
    void SetShadowColor(TColor color);
    // Writes the preset's values (ssCustom writes none).
    void SetShadowStyle(TShadowStyle style);

    // Another view of the label's Layout: the same value under the effect label's name.
    TVerticalAlignment VerticalAlignment() const { return TVerticalAlignment(Layout); }
    void SetVerticalAlignment(TVerticalAlignment alignment);

    void Paint(TCanvas& canvas) override { PaintWith(canvas, false); }
    void PaintPlain(TCanvas& canvas) override { PaintWith(canvas, true); }

private:
    // Plain: no background, no effects, the system's text colour.
    void PaintWith(TCanvas& canvas, bool plain);
    template <typename T>
    void SetEffect(T& field, T value);
    void SetOffset(int& field, int offset);
    // Draws the caption once, at box, in the colour.
    void DrawCaption(TCanvas& canvas, const RECT& box, TColor color, HFONT turned) const;

    int angle_ = 0;
    int offsetX_ = 0;
    int offsetY_ = 0;
    TDirection highlightDirection_ = TDirection::drNone;
    int highlightDepth_ = 0;
    TColor highlightColor_ = clBtnHighlight;
    TShadowStyle shadowStyle_ = TShadowStyle::ssNone;
    TDirection shadowDirection_ = TDirection::drNone;
    int shadowDepth_ = 0;
    int shadowSize_ = 0;
    TColor shadowColor_ = clBtnShadow;
    bool applyingPreset_ = false;
};

// The effect label as forms use it.
class TFxLabel : public TFxCustomLabel {
public:
    explicit TFxLabel(TComponent* owner) : TFxCustomLabel(owner) {}
};
