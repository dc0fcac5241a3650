#include "VersionRules.h"

#include <charconv>
#include <optional>

namespace {

std::optional<int32_t> DecimalNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

int32_t JoinWords(int32_t high, int32_t low)
{
    return int32_t(uint32_t(high) << 16 | (uint32_t(low) & 0xFFFF));
}

// The text up to the next separator, removed from the rest; nothing when there is none.
std::optional<std::string_view> TakePart(std::string_view& rest, char separator)
{
    size_t at = rest.find(separator);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view part = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return part;
}

} // namespace

VersionHalves ParseVersion(std::string_view text)
{
    VersionHalves result;
    char separator = text.find(',') != std::string_view::npos ? ',' : '.';
    std::string_view rest = text;
    auto part1 = TakePart(rest, separator);
    auto part2 = TakePart(rest, separator);
    if (!part1 || !part2)
        return result;
    auto major = DecimalNumber(*part1);
    if (!major)
        return result;
    result.High = JoinWords(*major, 0);
    auto minor = DecimalNumber(*part2);
    if (!minor)
        return result;
    result.High = JoinWords(*major, *minor);
    auto part3 = TakePart(rest, separator);
    if (!part3)
        return result;
    auto release = DecimalNumber(*part3);
    auto build = DecimalNumber(rest);
    if (release && build)
        result.Low = JoinWords(*release, *build);
    return result;
}

std::string DottedVersion(VersionHalves version)
{
    auto word = [](int32_t half, int shift) { return std::to_string(uint32_t(half) >> shift & 0xFFFF); };
    return word(version.High, 16) + "." + word(version.High, 0) + "." + word(version.Low, 16) + "." +
           word(version.Low, 0);
}

bool IsHigherVersion(VersionHalves candidate, VersionHalves local)
{
    return candidate.High > local.High || (candidate.High == local.High && candidate.Low > local.Low);
}
