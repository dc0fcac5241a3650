#include "GradientFunction.h"

#include "Exception.h"
#include "GradientStrips.h"
#include "Text.h"

namespace {

Rgb Resolve(TColor color)
{
    const COLORREF rgb = ColorToRGB(color);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

// The strip as a top-down 32-bit picture, horizontal (n × 1) or vertical (1 × n).
BitmapHandle StripPicture(const std::vector<Rgb>& strip, bool horizontal)
{
    const int length = int(strip.size());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = horizontal ? length : 1;
    info.bmiHeader.biHeight = -(horizontal ? 1 : length);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapHandle picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture)
        throw Exception("Nelze vytvořit obrázek: " + SystemErrorMessage(GetLastError()));
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < length; ++i)
        pixels[i] = uint32_t(strip[i].r) << 16 | uint32_t(strip[i].g) << 8 | strip[i].b;
    return picture;
}

} // namespace

void DrawMultiGradient(TCanvas& canvas, const RECT& rect, std::vector<TColor> colors, TGradientStyle style,
                       TGradientStep rotation)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const GradientLines lines = GradientLayout(style, rotation, width, height);
    if (colors.size() < 2 || lines.starts.empty())
        return;
    std::vector<Rgb> rgb;
    for (TColor color : colors)
        rgb.push_back(Resolve(color));
    const std::vector<Rgb> strip = FourFoldStrip(GradientLine(rgb, lines.rows ? width : height));
    BitmapHandle picture = StripPicture(strip, lines.rows);
    MemoryDc source(CreateCompatibleDC(canvas.Handle()));
    HGDIOBJ old = SelectObject(source.Get(), picture.Get());
    const HDC target = canvas.Handle();
    for (int i = 0; i < int(lines.starts.size()); ++i) {
        if (lines.rows)
            BitBlt(target, rect.left, rect.top + i, width, 1, source.Get(), lines.starts[i], 0, SRCCOPY);
        else
            BitBlt(target, rect.left + i, rect.top, 1, height, source.Get(), 0, lines.starts[i], SRCCOPY);
    }
    SelectObject(source.Get(), old);
}
