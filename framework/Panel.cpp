#include "Panel.h"

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

RECT TPanel::InnerRect() const
{
    RECT inner{0, 0, Width(), Height()};
    if (BevelOuter != TBevelCut::bvNone)
        InflateRect(&inner, -Scale(BevelWidth), -Scale(BevelWidth));
    return inner;
}

void TPanel::PaintBackground(TCanvas& canvas, const RECT& client)
{
    canvas.FillRect(client, Color);
    if (BevelOuter == TBevelCut::bvNone)
        return;
    const TColor shadow = 0xFF000000 | COLOR_BTNSHADOW;
    const TColor highlight = 0xFF000000 | COLOR_BTNHIGHLIGHT;
    const TColor topLeft = BevelOuter == TBevelCut::bvLowered ? shadow : highlight;
    const TColor bottomRight = BevelOuter == TBevelCut::bvLowered ? highlight : shadow;
    RECT ring{0, 0, Width(), Height()};
    for (int i = 0; i < Scale(BevelWidth) && ring.right > ring.left && ring.bottom > ring.top; ++i) {
        canvas.FillRect({ring.left, ring.top, ring.right - 1, ring.top + 1}, topLeft);
        canvas.FillRect({ring.left, ring.top, ring.left + 1, ring.bottom - 1}, topLeft);
        canvas.FillRect({ring.right - 1, ring.top, ring.right, ring.bottom}, bottomRight);
        canvas.FillRect({ring.left, ring.bottom - 1, ring.right, ring.bottom}, bottomRight);
        InflateRect(&ring, -1, -1);
    }
}
