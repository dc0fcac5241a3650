#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ControlDate.h"

// Dates and times in the user's own formats, for what the update run shows and keeps.

TDateTime NowLocal();
// The system clock in UTC, for what must not depend on the user's time zone.
TDateTime NowUtc();

char SystemDateSeparator();
char SystemTimeSeparator();

// The date in the user's short date format.
std::string ShortDateText(TDateTime value);
// The time of day as hours, minutes and seconds (24-hour) joined by the user's time separator.
std::string TimeText(TDateTime value);

// Reads back what the two above wrote; nothing when the text does not convert.
std::optional<TDateTime> ParseShortDate(std::string_view text);
std::optional<TDateTime> ParseTime(std::string_view text);
