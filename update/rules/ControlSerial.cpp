#include "ControlSerial.h"

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

SerialVerdict JudgeSerial(std::optional<unsigned long long> serial, std::optional<unsigned long long> lastCarriedOut)
{
    if (!serial || (lastCarriedOut && *serial < *lastCarriedOut))
        return SerialVerdict::Refused;
    if (lastCarriedOut && *serial == *lastCarriedOut)
        return SerialVerdict::NothingNew;
    return SerialVerdict::Fresh;
}
