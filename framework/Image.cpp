#include "Image.h"

TImage::TImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

TBitmap& TImage::PictureToDrawOn()
{
    if (Picture.Empty())
        Picture.SetSize(Width(), Height());
    return Picture;
}

void TImage::Paint(TCanvas& canvas)
{
    if (Stretch)
        Picture.StretchDraw(canvas.Handle(), RECT{0, 0, Width(), Height()});
    else
        Picture.Draw(canvas.Handle(), 0, 0);
}
