#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// A four-part version as two signed 32-bit halves (major.minor, release.build); -1 is unknown.
struct VersionHalves {
    int32_t High = -1;
    int32_t Low = -1;

    bool operator==(const VersionHalves&) const = default;
};

inline bool IsKnown(VersionHalves v) { return v.High != -1 && v.Low != -1; }

// A version text of four parts separated by "," (when it has a comma) or ".", each part cut to
// 16 bits. Three parts leave the low half unknown, fewer leave both unknown.
VersionHalves ParseVersion(std::string_view text);

// The four 16-bit words as unsigned numbers joined by ".".
std::string DottedVersion(VersionHalves version);

// Higher high half, or equal high and higher low half, comparing the halves as signed values:
// a major number of 32768 or more counts as lower than any smaller one.
bool IsHigherVersion(VersionHalves candidate, VersionHalves local);
