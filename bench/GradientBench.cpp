// Cost of painting the main window's backdrop (458 × 397) and a full-screen one
// (1920 × 1080) against one FillRect of the same area, in the same run, on a bitmap
// compatible with the screen. A 10,000 × 10,000 control is painted onto a small picture
// (the copies are clipped) to show that its strips stay small.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "GradientFunction.h"
#include "GradientStrips.h"
#include "Win32Handle.h"

namespace {

std::vector<TColor> MainWindowColors()
{
    std::vector<TColor> colors(8, clBlack);
    colors.push_back(clRed);
    colors.push_back(clYellow);
    return colors;
}

template <typename Paint>
double MedianMs(int runs, Paint paint)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        paint();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

struct Target {
    Target(int width, int height)
    {
        HDC screen = GetDC(nullptr);
        dc.Reset(CreateCompatibleDC(screen));
        bitmap.Reset(CreateCompatibleBitmap(screen, width, height));
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc.Get(), bitmap.Get());
    }
    ~Target() { SelectObject(dc.Get(), old); }

    MemoryDc dc;
    BitmapHandle bitmap;
    HGDIOBJ old = nullptr;
};

void Compare(const char* name, int width, int height, TGradientStyle style, int rotation)
{
    Target target(width, height);
    const RECT area{0, 0, width, height};
    const int runs = 41;
    TCanvas canvas(target.dc.Get());
    const double gradient = MedianMs(runs, [&] {
        DrawMultiGradient(canvas, area, MainWindowColors(), style, TGradientStep(rotation));
        GdiFlush();
    });
    const double fill = MedianMs(runs, [&] {
        canvas.FillRect(area, clBlack);
        GdiFlush();
    });
    std::printf("%-34s %4d x %-4d  gradient %8.3f ms   FillRect %8.3f ms   ratio %6.1f\n", name, width, height,
                gradient, fill, gradient / fill);
}

} // namespace

int main()
{
    Compare("main window, gsVertical_T", 458, 397, TGradientStyle::gsVertical_T, 100);
    Compare("full screen, gsVertical_T", 1920, 1080, TGradientStyle::gsVertical_T, 100);
    Compare("full screen, gsRotation 30", 1920, 1080, TGradientStyle::gsRotation, 30);
    Compare("full screen, gsRotation -30", 1920, 1080, TGradientStyle::gsRotation, -30);

    // A huge control: one strip of 4 × 10,000 pixels and 10,000 line offsets, whatever
    // the area; the copies outside the small picture are clipped away.
    Target small(64, 64);
    TCanvas canvas(small.dc.Get());
    const RECT huge{0, 0, 10000, 10000};
    const double ms = MedianMs(5, [&] {
        DrawMultiGradient(canvas, huge, MainWindowColors(), TGradientStyle::gsDiagonal_R, 0);
    });
    const GradientLines lines = GradientLayout(TGradientStyle::gsDiagonal_R, 0, 10000, 10000);
    std::printf("10000 x 10000, gsDiagonal_R: %.3f ms; strip %d pixels, %zu line offsets\n", ms, 4 * 10000,
                lines.starts.size());
    return 0;
}
