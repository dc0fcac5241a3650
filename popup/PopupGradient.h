#pragma once
#include <cstdint>

// Windows' MulDiv: a * b / c rounded to nearest (halves away from zero); -1 when c is 0.
int RoundedMulDiv(int a, int b, int c);

// Colour `step` of `steps` between two 0x00BBGGRR colours: each channel
// c1 + RoundedMulDiv(step, c2 - c1, steps), kept to its low 8 bits.
uint32_t GradientStepColor(uint32_t rgb1, uint32_t rgb2, int step, int steps);
