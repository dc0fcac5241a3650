#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// A date and time as days since 30 December 1899, the time of day as the fraction (the same
// value FileDateToDateTime gives). Comparable with the usual operators; values built from the
// same parts are equal.
using TDateTime = double;

struct DateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Parts must be in range (month 1-12, day of that month, hour 0-23 ...).
TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);

// Where a control file's date or time does not convert.
inline constexpr DateTimeParts kControlDateStart{1980, 1, 1};

// A date of three numbers in the order the format's first letter gives ("d..." day, month,
// year; "m..." month, day, year; "y..." year, month, day), joined by the separator. Two-digit
// years fall in 1980-2079: no update predates the fall-back date of 1980. Nothing when the
// text is not a valid date.
std::optional<TDateTime> ParseControlDate(std::string_view text, std::string_view dateFormat, char separator);

// Hours, minutes and optional seconds joined by the separator (24-hour clock), as the
// fraction of a day; nothing when the text is not a valid time.
std::optional<TDateTime> ParseControlTime(std::string_view text, char separator);

// The date with the time added; an unreadable date gives 1 January 1980, an empty or
// unreadable time adds nothing. No process-wide setting is read or changed.
TDateTime ControlDateTime(std::string_view date, std::string_view time, std::string_view dateFormat,
                          char dateSeparator, char timeSeparator);
