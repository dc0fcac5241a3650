#pragma once
#include <cstdint>
#include <vector>

#include "GradientTypes.h"

// The arithmetic of the multi-colour gradient, apart from any drawing: the colour of each
// gradient position, and where each row or column takes its piece of the strip.

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The colours of positions 0 .. length-1, running from the first colour to the last in
// bands of equal length (the last band takes the rest).
std::vector<Rgb> GradientLine(const std::vector<Rgb>& colours, int length);

// A strip holds the line forwards, mirrored, forwards and mirrored again (4 × length);
// the pattern repeats every 2 × length.
std::vector<Rgb> FourFoldStrip(const std::vector<Rgb>& line);

struct GradientLines {
    bool rows = true; // rows take the horizontal strip, columns the vertical one
    // For each row (column), where its first pixel is taken from in the strip:
    // 0 .. 2 × length - 1, so that the whole row lies inside the strip.
    std::vector<int> starts;
};

// The lines of a width × height area in the given style; none when the area is empty.
GradientLines GradientLayout(TGradientStyle style, int rotation, int width, int height);
