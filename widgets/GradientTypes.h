#pragma once
#include <cstdint>

// How the colours run across the area: along rows or columns, pointed, or slanted.
enum class TGradientStyle {
    gsHorizontal_L,
    gsHorizontal_R,
    gsVertical_T,
    gsVertical_B,
    gsArrow_L,
    gsArrow_R,
    gsArrow_B,
    gsArrow_T,
    gsDiagonal_L,
    gsDiagonal_R,
    gsRotation,
};

// The slant of gsRotation, -100..100: 0 and 100 lean like the two diagonals, 50 is level,
// negative values slant the columns instead of the rows.
using TGradientStep = int8_t;
constexpr int kGradientStepLimit = 100;
