#include "GradientFunction.h"

#include <algorithm>

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
    // Neighbouring lines that take the same piece of the strip are copied once from the
    // strip, then doubled on the canvas itself: a level gradient costs a few block copies.
    const HDC target = canvas.Handle();
    const std::vector<int>& starts = lines.starts;
    for (size_t first = 0, next = 0; first < starts.size(); first = next) {
        while (next < starts.size() && starts[next] == starts[first])
            ++next;
        const int from = int(first);
        const int count = int(next - first);
        if (lines.rows) {
            BitBlt(target, rect.left, rect.top + from, width, 1, source.Get(), starts[first], 0, SRCCOPY);
            for (int done = 1; done < count; done *= 2)
                BitBlt(target, rect.left, rect.top + from + done, width, std::min(done, count - done), target,
                       rect.left, rect.top + from, SRCCOPY);
        } else {
            BitBlt(target, rect.left + from, rect.top, 1, height, source.Get(), 0, starts[first], SRCCOPY);
            for (int done = 1; done < count; done *= 2)
                BitBlt(target, rect.left + from + done, rect.top, std::min(done, count - done), height, target,
                       rect.left + from, rect.top, SRCCOPY);
        }
    }
    SelectObject(source.Get(), old);
}
