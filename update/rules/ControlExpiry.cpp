#include "ControlExpiry.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

// Exactly four, two and two digits joined by "-", a date of the calendar.
std::optional<TDateTime> ParseIsoDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (size_t at : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[at])))
            return std::nullopt;
    return ParseControlDate(text, "yyyy-mm-dd", '-');
}

} // namespace

ExpiryVerdict JudgeExpiry(std::string_view expires, TDateTime nowUtc, bool required)
{
    if (expires.empty())
        return required ? ExpiryVerdict::Missing : ExpiryVerdict::Current;
    const std::optional<TDateTime> lastDay = ParseIsoDate(expires);
    if (!lastDay)
        return ExpiryVerdict::Malformed;
    return std::floor(nowUtc) > *lastDay ? ExpiryVerdict::Expired : ExpiryVerdict::Current;
}

std::string IsoDateText(TDateTime value)
{
    const DateTimeParts parts = DecodeDateTime(value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.Year, parts.Month, parts.Day);
    return text;
}
