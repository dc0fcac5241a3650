#include "FxLabels.h"

#include <algorithm>

#include "Text.h"

namespace {

// Depths and sizes are kept within what the look can sensibly draw, which also keeps the
// copies' shifts (depth × step) far from overflow.
constexpr int kShadowLimit = 1280;

RECT Moved(RECT box, Step step, int times)
{
    OffsetRect(&box, step.dx * times, step.dy * times);
    return box;
}

// The canvas font turned by the angle (tenths of a degree), TrueType only so it can turn.
FontHandle TurnedFont(const TFont& font, int angle, int dpi)
{
    LOGFONTW log{};
    GetObjectW(font.Handle(dpi), sizeof(log), &log);
    log.lfEscapement = angle * 10;
    log.lfOrientation = angle * 10;
    log.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    return FontHandle(CreateFontIndirectW(&log));
}

} // namespace

TFxCustomLabel::TFxCustomLabel(TComponent* owner) : TLabel(owner) {}

template <typename T>
void TFxCustomLabel::SetEffect(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    if (!applyingPreset_)
        shadowStyle_ = TShadowStyle::ssCustom;
    Invalidate();
}

void TFxCustomLabel::SetAngle(int degrees)
{
    const int angle = NormalAngle(degrees);
    if (angle == angle_)
        return;
    angle_ = angle;
    // Auto size measures plain text.
    if (angle_ > 0)
        AutoSize = false;
    Invalidate();
}

void TFxCustomLabel::SetOffset(int& field, int offset)
{
    if (offset == field)
        return;
    field = offset;
    if (offset > 0)
        AutoSize = false;
    Invalidate();
}

void TFxCustomLabel::SetOffsetX(int offset) { SetOffset(offsetX_, offset); }
void TFxCustomLabel::SetOffsetY(int offset) { SetOffset(offsetY_, offset); }

void TFxCustomLabel::SetHighlightDirection(TDirection direction) { SetEffect(highlightDirection_, direction); }
void TFxCustomLabel::SetHighlightDepth(int depth)
{
    SetEffect(highlightDepth_, std::clamp(depth, -kShadowLimit, kShadowLimit));
}
void TFxCustomLabel::SetHighlightColor(TColor color) { SetEffect(highlightColor_, color); }
void TFxCustomLabel::SetShadowDirection(TDirection direction) { SetEffect(shadowDirection_, direction); }
void TFxCustomLabel::SetShadowDepth(int depth) { SetEffect(shadowDepth_, std::clamp(depth, 0, kShadowLimit)); }
void TFxCustomLabel::SetShadowSize(int size) { SetEffect(shadowSize_, std::clamp(size, 0, kShadowLimit)); }
void TFxCustomLabel::SetShadowColor(TColor color) { SetEffect(shadowColor_, color); }

void TFxCustomLabel::SetShadowStyle(TShadowStyle style)
{
    if (style == shadowStyle_)
        return;
    shadowStyle_ = style;
    const std::optional<ShadowPreset> preset = PresetOf(style);
    if (!preset)
        return;
    applyingPreset_ = true;
    SetHighlightDirection(preset->highlightDirection);
    SetHighlightDepth(preset->highlightDepth);
    SetShadowDirection(preset->shadowDirection);
    SetShadowDepth(preset->shadowDepth);
    SetShadowSize(preset->shadowSize);
    SetHighlightColor(clBtnHighlight);
    SetShadowColor(clBtnShadow);
    if (preset->faceColoredFont)
        Font.SetColor(clBtnFace);
    applyingPreset_ = false;
    Invalidate();
}

void TFxCustomLabel::SetVerticalAlignment(TVerticalAlignment alignment)
{
    if (alignment == VerticalAlignment())
        return;
    Layout = TTextLayout(alignment);
    Invalidate();
}

void TFxCustomLabel::DrawCaption(TCanvas& canvas, const RECT& box, TColor color, HFONT turned) const
{
    if (turned) {
        const HDC dc = canvas.Handle();
        HGDIOBJ old = SelectObject(dc, turned);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(color));
        const std::wstring text = Widen(caption_);
        TextOutW(dc, box.left, box.top, text.c_str(), int(text.size()));
        SelectObject(dc, old);
        return;
    }
    TFont font;
    font.Assign(Font);
    font.Color = color;
    RECT target = box;
    canvas.DrawText(caption_, target, font, TextFlags());
}

void TFxCustomLabel::PaintWith(TCanvas& canvas, bool plain)
{
    RECT box{0, 0, Width(), Height()};
    if (!Transparent && !plain)
        canvas.FillRect(box, Color);
    FontHandle turned;
    if (angle_ != 0) {
        turned = TurnedFont(Font, angle_, canvas.Dpi());
        const HDC dc = canvas.Handle();
        HGDIOBJ old = SelectObject(dc, turned.Get());
        const std::wstring text = Widen(caption_);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
        SelectObject(dc, old);
        const THorizontalPlace place = Alignment == TAlignment::taCenter         ? THorizontalPlace::Center
                                       : Alignment == TAlignment::taRightJustify ? THorizontalPlace::Right
                                                                                 : THorizontalPlace::Left;
        const Point start =
            RotatedTextStart(angle_, extent.cx, extent.cy, Width(), Height(), place, VerticalAlignment());
        box = {start.x, start.y, start.x + Width(), start.y + Height()};
    } else if (VerticalAlignment() != TVerticalAlignment::vaTop) {
        RECT measured = box;
        canvas.DrawText(caption_, measured, Font, TextFlags() | DT_CALCRECT);
        const int textHeight = measured.bottom - measured.top;
        box.bottom = box.top + textHeight;
        OffsetRect(&box, 0, VerticalShift(VerticalAlignment(), textHeight, Height()));
    }
    // Shifts and depths are the design's, in pixels of the canvas's DPI.
    OffsetRect(&box, canvas.Scale(offsetX_), canvas.Scale(offsetY_));

    if (plain) {
        DrawCaption(canvas, box, PlainTextColor(), turned.Get());
        return;
    }
    if (!Enabled) {
        DrawCaption(canvas, Moved(box, {1, 1}, canvas.Scale(1)), clBtnHighlight, turned.Get());
        DrawCaption(canvas, box, clBtnShadow, turned.Get());
        return;
    }
    if (shadowStyle_ != TShadowStyle::ssNone) {
        // The copies from the first shift to the last at the scale, one a pixel, so that a
        // thick shadow stays solid.
        const Step shadowStep = DirectionStep(shadowDirection_);
        if (shadowSize_ > 0)
            for (int shift = canvas.Scale(shadowDepth_); shift <= canvas.Scale(shadowDepth_ + shadowSize_ - 1); ++shift)
                DrawCaption(canvas, Moved(box, shadowStep, shift), shadowColor_, turned.Get());
        DrawCaption(canvas, Moved(box, DirectionStep(highlightDirection_), canvas.Scale(highlightDepth_)),
                    highlightColor_, turned.Get());
    }
    DrawCaption(canvas, box, Font.Color, turned.Get());
}
