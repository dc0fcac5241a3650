#include "CheckTime.h"

#include <cctype>
#include <cstdio>

#include "ControlDate.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 30 December 1899, where dates count from, to 1 January 1970.
constexpr int64_t kUnixEpochDay = 25569;

// Whole days, also before 1970.
int64_t DaysOf(int64_t seconds)
{
    return seconds >= 0 ? seconds / kSecondsPerDay : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
}

} // namespace

std::string CheckTimeText(int64_t unixSeconds)
{
    const int64_t days = DaysOf(unixSeconds);
    const int64_t secondOfDay = unixSeconds - days * kSecondsPerDay;
    const DateTimeParts date = DecodeDateTime(double(days + kUnixEpochDay));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.Year, date.Month, date.Day,
                  int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60));
    return text;
}

std::optional<int64_t> ParseCheckTime(std::string_view text)
{
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size())
        return std::nullopt;
    for (size_t at = 0; at < shape.size(); ++at)
        if (shape[at] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[at])) : text[at] != shape[at])
            return std::nullopt;
    const std::optional<TDateTime> day = ParseControlDate(text.substr(0, 10), "yyyy-mm-dd", '-');
    const auto number = [&](size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    const int hour = number(11), minute = number(14), second = number(17);
    if (!day || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (int64_t(*day) - kUnixEpochDay) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}
