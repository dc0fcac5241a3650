#pragma once

// Lengths of a 96-dpi design at another DPI; no window needed.

constexpr int kDesignDpi = 96;

// A design length at the DPI, to the nearest pixel (halves away from zero).
constexpr int ScaleToDpi(int designValue, int dpi)
{
    const long long scaled = static_cast<long long>(designValue) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kDesignDpi / 2) / kDesignDpi
                                        : (scaled - kDesignDpi / 2) / kDesignDpi);
}

// A length at the DPI back in design units, to the nearest unit: exact for any length that
// ScaleToDpi made at a DPI of at least 96.
constexpr int DesignFromDpi(int value, int dpi)
{
    if (dpi <= 0)
        return value;
    const long long design = static_cast<long long>(value) * kDesignDpi;
    return static_cast<int>(design >= 0 ? (design + dpi / 2) / dpi : (design - dpi / 2) / dpi);
}
