// Version texts from a control file and a file's version resource: parsed, printed and
// compared. Input: two versions as raw halves, then a version text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "VersionRules.h"

namespace {

// "Higher" is a strict total order: of two versions exactly one is higher, or they are equal.
void CheckOrder(VersionHalves a, VersionHalves b)
{
    FUZZ_CHECK(!IsHigherVersion(a, a));
    FUZZ_CHECK(int(IsHigherVersion(a, b)) + int(IsHigherVersion(b, a)) + int(a == b) == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VersionHalves raw[2];
    if (size < sizeof raw)
        return 0;
    std::memcpy(raw, data, sizeof raw);
    std::string text(reinterpret_cast<const char*>(data + sizeof raw), size - sizeof raw);

    // Every pair of halves prints as four words that read back as the same halves.
    for (VersionHalves version : raw)
        FUZZ_CHECK(ParseVersion(DottedVersion(version)) == version);
    CheckOrder(raw[0], raw[1]);

    const VersionHalves parsed = ParseVersion(text);
    FUZZ_CHECK(ParseVersion(DottedVersion(parsed)) == parsed);
    CheckOrder(parsed, raw[0]);
    if (IsHigherVersion(raw[0], raw[1]) && IsHigherVersion(raw[1], parsed))
        FUZZ_CHECK(IsHigherVersion(raw[0], parsed));
    // Without a comma the dots separate; written with commas the text means the same.
    if (text.find(',') == std::string::npos) {
        std::replace(text.begin(), text.end(), '.', ',');
        FUZZ_CHECK(ParseVersion(text) == parsed);
    }
    return 0;
}
