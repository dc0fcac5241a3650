#include "PopupGradient.h"

int RoundedMulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    long long product = static_cast<long long>(a) * b;
    long long divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const long long result = product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
    if (result > 2147483647LL || result < -2147483647LL)
        return -1;
    return static_cast<int>(result);
}

uint32_t GradientStepColor(uint32_t rgb1, uint32_t rgb2, int step, int steps)
{
    uint32_t color = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c1 = static_cast<int>((rgb1 >> shift) & 0xFF);
        const int c2 = static_cast<int>((rgb2 >> shift) & 0xFF);
        const uint32_t channel = static_cast<uint32_t>(c1 + RoundedMulDiv(step, c2 - c1, steps)) & 0xFF;
        color |= channel << shift;
    }
    return color;
}
