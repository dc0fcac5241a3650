#include "GradientStrips.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t Channel(uint8_t from, uint8_t to, double t)
{
    return uint8_t(std::trunc((int(to) - int(from)) * t + from));
}

Rgb Mix(const Rgb& from, const Rgb& to, double t)
{
    return {Channel(from.r, to.r, t), Channel(from.g, to.g, t), Channel(from.b, to.b, t)};
}

int RoundHalfEven(double value) { return int(std::nearbyint(value)); }

// Bands of the rounded length L / n; the last band ends the line with the last colour.
void FillBands(const std::vector<Rgb>& colours, int band, std::vector<Rgb>& line)
{
    const int n = int(colours.size()) - 1;
    const int length = int(line.size());
    for (int i = 0; i < n; ++i) {
        const bool last = i == n - 1;
        const int end = last ? length - i * band - 1 : band;
        // A band's end pixel is the next band's start, in the same colour.
        for (int d = 0; d <= (last ? end : end - 1); ++d)
            line[i * band + d] = Mix(colours[i], colours[i + 1], double(d) / end);
    }
}

// Lines whose rounded bands would leave the last band a single pixel or none: every position
// samples the whole run, so the colours still come in order from the first at 0 to the last
// at the end.
void FillSampled(const std::vector<Rgb>& colours, std::vector<Rgb>& line)
{
    const int n = int(colours.size()) - 1;
    const int length = int(line.size());
    if (length == 1) {
        line[0] = colours[0];
        return;
    }
    // Position e lies e·n / (length - 1) colours along; whole numbers keep the fraction exact.
    const long long whole = length - 1;
    for (int e = 0; e < length; ++e) {
        const long long along = 1LL * e * n;
        const int i = int(std::min<long long>(along / whole, n - 1));
        line[e] = Mix(colours[i], colours[i + 1], double(along - i * whole) / whole);
    }
}

bool TakesRows(TGradientStyle style, int rotation)
{
    switch (style) {
    case TGradientStyle::gsVertical_T:
    case TGradientStyle::gsVertical_B:
    case TGradientStyle::gsArrow_B:
    case TGradientStyle::gsArrow_T:
        return false;
    case TGradientStyle::gsRotation:
        return rotation >= 0;
    default:
        return true;
    }
}

// The strip offset of each line (x of a row, y of a column), lines along `across`,
// `along` pixels long. Offsets may point anywhere; the caller folds them into the strip.
std::vector<long long> Offsets(TGradientStyle style, int rotation, int along, int across)
{
    std::vector<long long> offsets(size_t(across), 0);
    const int half = across / 2;
    switch (style) {
    case TGradientStyle::gsHorizontal_L:
    case TGradientStyle::gsVertical_T:
        std::fill(offsets.begin(), offsets.end(), -along);
        break;
    case TGradientStyle::gsHorizontal_R:
    case TGradientStyle::gsVertical_B:
        break;
    case TGradientStyle::gsArrow_R:
    case TGradientStyle::gsArrow_B:
        for (int i = 0; i < across; ++i)
            offsets[i] = i < half ? i - half : half - i;
        break;
    case TGradientStyle::gsArrow_L:
    case TGradientStyle::gsArrow_T:
        for (int i = 0, k = 0; i < across; ++i)
            offsets[i] = i < half ? -i : 2 * ++k - i;
        break;
    case TGradientStyle::gsDiagonal_L:
    case TGradientStyle::gsDiagonal_R:
    case TGradientStyle::gsRotation: {
        const int slant = style == TGradientStyle::gsDiagonal_L   ? 0
                          : style == TGradientStyle::gsDiagonal_R ? 200
                                                                  : 2 * std::abs(rotation);
        const int margin = RoundHalfEven(slant * (along / 2.0 / 100.0));
        const double ratio = double(along) / across;
        const double step = ratio - ratio * (slant / 100.0);
        double shift = 0.0;
        for (int i = 0; i < across; ++i) {
            shift += step;
            offsets[i] = std::llround(std::nearbyint(-(2.0 * along + margin) - shift));
        }
        break;
    }
    }
    return offsets;
}

} // namespace

std::vector<Rgb> GradientLine(const std::vector<Rgb>& colours, int length)
{
    if (colours.empty() || length <= 0)
        return {};
    std::vector<Rgb> line(size_t(length), colours[0]);
    const int n = int(colours.size()) - 1;
    if (n == 0)
        return line;
    const int band = RoundHalfEven(double(length) / n);
    if (band >= 1 && (n - 1) * band <= length - 2)
        FillBands(colours, band, line);
    else
        FillSampled(colours, line);
    return line;
}

std::vector<Rgb> FourFoldStrip(const std::vector<Rgb>& line)
{
    std::vector<Rgb> half(line);
    half.insert(half.end(), line.rbegin(), line.rend());
    std::vector<Rgb> strip(half);
    strip.insert(strip.end(), half.begin(), half.end());
    return strip;
}

GradientLines GradientLayout(TGradientStyle style, int rotation, int width, int height)
{
    rotation = std::clamp(rotation, -kGradientStepLimit, kGradientStepLimit);
    GradientLines lines;
    lines.rows = TakesRows(style, rotation);
    if (width <= 0 || height <= 0)
        return lines;
    const int along = lines.rows ? width : height;
    const int across = lines.rows ? height : width;
    // The strip repeats every 2 × along, so any offset folds into the first period and
    // the line's `along` pixels then lie inside the 4 × along strip.
    const long long period = 2LL * along;
    for (long long offset : Offsets(style, rotation, along, across)) {
        long long start = -offset % period;
        lines.starts.push_back(int(start < 0 ? start + period : start));
    }
    return lines;
}
