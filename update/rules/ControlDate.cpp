#include "ControlDate.h"

#include <array>
#include <cctype>
#include <cmath>
#include <vector>

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;
constexpr int kCenturyWindowStart = 1980;

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[size_t(month - 1)];
}

// Days from 1 March of year 0 of the proleptic Gregorian calendar, and back.
int64_t DayNumber(int year, int month, int day)
{
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilDate(int64_t dayNumber, DateTimeParts& parts)
{
    int64_t era = (dayNumber >= 0 ? dayNumber : dayNumber - 146096) / 146097;
    int64_t dayOfEra = dayNumber - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    parts.Day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    parts.Month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    parts.Year = int(yearOfEra + era * 400 + (parts.Month <= 2 ? 1 : 0));
}

const int64_t kDay1899 = DayNumber(1899, 12, 30);

// Whole milliseconds since the start of 30 December 1899.
int64_t Milliseconds(TDateTime value)
{
    double days = std::floor(value);
    return int64_t(days) * kMillisecondsPerDay + int64_t(std::llround((value - days) * double(kMillisecondsPerDay)));
}

// Whole days at or before the millisecond count.
int64_t DaysOf(int64_t ms)
{
    return ms >= 0 ? ms / kMillisecondsPerDay : -((-ms + kMillisecondsPerDay - 1) / kMillisecondsPerDay);
}

TDateTime FromMilliseconds(int64_t ms)
{
    int64_t days = DaysOf(ms);
    return double(days) + double(ms - days * kMillisecondsPerDay) / double(kMillisecondsPerDay);
}

struct Number {
    int Value;
    size_t Digits;
};

// Numbers of one to four digits with surrounding blanks, joined by the separator.
std::optional<std::vector<Number>> Numbers(std::string_view text, char separator)
{
    std::vector<Number> numbers;
    size_t at = 0;
    while (true) {
        size_t end = text.find(separator, at);
        std::string_view part = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (part.empty() || part.size() > 4)
            return std::nullopt;
        int value = 0;
        for (char c : part) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        numbers.push_back({value, part.size()});
        if (end == std::string_view::npos)
            return numbers;
        at = end + 1;
    }
}

char FirstDateLetter(std::string_view format)
{
    for (char c : format) {
        char lower = char(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'd' || lower == 'm' || lower == 'y')
            return lower;
    }
    return 'm';
}

} // namespace

TDateTime EncodeDateTime(const DateTimeParts& p)
{
    int64_t days = DayNumber(p.Year, p.Month, p.Day) - kDay1899;
    int64_t ms = ((int64_t(p.Hour) * 60 + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond;
    return FromMilliseconds(days * kMillisecondsPerDay + ms);
}

DateTimeParts DecodeDateTime(TDateTime value)
{
    int64_t ms = Milliseconds(value);
    int64_t days = DaysOf(ms);
    int64_t ofDay = ms - days * kMillisecondsPerDay;
    DateTimeParts parts;
    CivilDate(days + kDay1899, parts);
    parts.Hour = int(ofDay / 3'600'000);
    parts.Minute = int(ofDay / 60'000 % 60);
    parts.Second = int(ofDay / 1000 % 60);
    parts.Millisecond = int(ofDay % 1000);
    return parts;
}

std::optional<TDateTime> ParseControlDate(std::string_view text, std::string_view dateFormat, char separator)
{
    auto numbers = Numbers(text, separator);
    if (!numbers || numbers->size() != 3)
        return std::nullopt;
    // Positions of year, month and day in the text.
    std::array<size_t, 3> order = {2, 0, 1};
    char first = FirstDateLetter(dateFormat);
    if (first == 'd')
        order = {2, 1, 0};
    else if (first == 'y')
        order = {0, 1, 2};
    const Number& year = (*numbers)[order[0]];
    DateTimeParts parts{year.Value, (*numbers)[order[1]].Value, (*numbers)[order[2]].Value};
    if (year.Digits <= 2)
        parts.Year += year.Value >= kCenturyWindowStart % 100 ? 1900 : 2000;
    if (parts.Year < 1 || parts.Month < 1 || parts.Month > 12 || parts.Day < 1 ||
        parts.Day > DaysInMonth(parts.Year, parts.Month))
        return std::nullopt;
    return EncodeDateTime(parts);
}

std::optional<TDateTime> ParseControlTime(std::string_view text, char separator)
{
    auto numbers = Numbers(text, separator);
    if (!numbers || numbers->size() < 2 || numbers->size() > 3)
        return std::nullopt;
    const std::vector<Number>& n = *numbers;
    int seconds = n.size() == 3 ? n[2].Value : 0;
    if (n[0].Value > 23 || n[1].Value > 59 || seconds > 59)
        return std::nullopt;
    return EncodeDateTime({1899, 12, 30, n[0].Value, n[1].Value, seconds});
}

TDateTime ControlDateTime(std::string_view date, std::string_view time, std::string_view dateFormat,
                          char dateSeparator, char timeSeparator)
{
    TDateTime result = ParseControlDate(date, dateFormat, dateSeparator).value_or(EncodeDateTime(kControlDateStart));
    if (!time.empty())
        result += ParseControlTime(time, timeSeparator).value_or(0);
    return result;
}
