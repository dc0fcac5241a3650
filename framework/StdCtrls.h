#pragma once
#include "Controls.h"

enum class TTextLayout { tlTop, tlCenter, tlBottom };

// A text drawn by its parent.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool Transparent = false;
    bool WordWrap = false;
    bool ShowAccelChar = true;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TTextLayout Layout = TTextLayout::tlTop;
    // Fits the label to its text (keeping the width when wrapping, and the right edge when
    // right-aligned) once loaded and on every change of caption or font.
    bool AutoSize = true;
    // The caption's colour when high contrast paints it plain: a system colour.
    TColor PlainColor = clWindowText;
    void SetCaption(const std::string& caption) override;
    void AdjustSize();
    void ChangeScale(int dpi) override;

    void Paint(TCanvas& canvas) override;
    void PaintPlain(TCanvas& canvas) override;

protected:
    // DT_* flags of the caption: alignment, wrapping, accelerator display.
    UINT TextFlags() const;
    void PaintCaption(TCanvas& canvas, const TFont& font);
    // The text's colour in high contrast: PlainColor, or one a kind of label chooses by its state.
    virtual TColor PlainTextColor() const { return PlainColor; }
    void Loaded() override;
    // Any change of Font made through its setters.
    virtual void FontChanged();
};

enum class TShapeType { stRectangle };

// A filled rectangle drawn by its parent.
class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner) : TGraphicControl(owner) {}

    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TColor PenColor = clBlack;

    void Paint(TCanvas& canvas) override;
};

// The standard check box, in the colours and font of the control.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner) : TWinControl(owner) { TabStop = true; }

    bool Checked() const;
    void SetChecked(bool checked);

protected:
    void CreateParams(CreateParamsData& params) override;
    void HandleCreated() override;

private:
    bool checked_ = false;
};
