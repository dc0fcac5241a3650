#include "MultiGradient.h"

#include "GradientFunction.h"

TMultiGradient::TMultiGradient(TComponent* owner) : TGraphicControl(owner)
{
    Gradient.OnChange = [this](TGradient&) { GradientChanged(); };
    Invalidate();
}

void TMultiGradient::GradientChanged()
{
    // The configured values are set while loading; the first paint comes after.
    if (!IsLoading())
        Invalidate();
}

void TMultiGradient::SetBuffered(bool buffered)
{
    if (buffered == buffered_)
        return;
    buffered_ = buffered;
    Invalidate();
}

void TMultiGradient::Paint(TCanvas& canvas)
{
    const RECT client{0, 0, Width(), Height()};
    const std::vector<TColor> colors = Gradient.ActiveColors();
    if (colors.empty())
        return;
    if (colors.size() == 1) {
        canvas.FillRect(client, colors[0]);
        return;
    }
    if (!buffered_) {
        DrawMultiGradient(canvas, client, colors, Gradient.Style(), Gradient.Rotation());
        return;
    }
    if (buffer_.Width() != Width() || buffer_.Height() != Height())
        buffer_.SetSize(Width(), Height());
    if (buffer_.Empty())
        return;
    {
        TBitmapCanvas dc(buffer_);
        TCanvas bufferCanvas(dc.Handle());
        DrawMultiGradient(bufferCanvas, client, colors, Gradient.Style(), Gradient.Rotation());
    }
    buffer_.Draw(canvas.Handle(), 0, 0);
}
