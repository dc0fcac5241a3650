#pragma once
#include "Bitmap.h"
#include "Controls.h"
#include "GradientProperty.h"

// A windowless backdrop painted with the active colours of its gradient: nothing with no
// colour, a plain fill with one, a multi-colour gradient with more.
class TMultiGradient : public TGraphicControl {
public:
    explicit TMultiGradient(TComponent* owner);

    TGradient Gradient;

    // Painting through an off-screen picture of the control's size. The parent window
    // draws its children double-buffered either way, and answers its erase requests
    // without painting, so the backdrop never flickers.
    bool Buffered() const { return buffered_; }
    void SetBuffered(bool buffered);

    void Paint(TCanvas& canvas) override;

private:
    void GradientChanged();

    bool buffered_ = false;
    TBitmap buffer_;
};
