#pragma once
#include "Bitmap.h"
#include "Controls.h"

// A picture drawn by its parent, at its own size or stretched to the control.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);

    TBitmap Picture;
    bool Stretch = false;

    // The picture to draw on; made at the control's size when there is none yet.
    TBitmap& PictureToDrawOn();

    void Paint(TCanvas& canvas) override;
};
