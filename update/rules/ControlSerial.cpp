#include "ControlSerial.h"

#include <algorithm>
#include <charconv>

std::optional<unsigned long long> ParseSerial(std::string_view text)
{
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

SerialBar SerialToReach(const std::optional<std::string>& stored, unsigned long long floor)
{
    const std::optional<unsigned long long> storedSerial = stored ? ParseSerial(*stored) : std::nullopt;
    return {.Serial = std::max(storedSerial.value_or(0), floor), .StoredUnreadable = stored && !storedSerial};
}

SerialVerdict JudgeSerial(std::optional<unsigned long long> serial, unsigned long long bar,
                          std::optional<unsigned long long> pending)
{
    if (!serial || *serial < bar || (pending && *serial < *pending))
        return SerialVerdict::Refused;
    if (*serial == bar)
        return SerialVerdict::NothingNew;
    return SerialVerdict::Fresh;
}
