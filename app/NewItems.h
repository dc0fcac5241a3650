#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "NewsItemText.h"
#include "NewsPageScan.h"

// Which items of the news page the log does not hold yet. The page gives times of day
// only: the dates are worked out from the clock and the rows' order. No platform calls:
// the clock and the user's short date format are given.

// A day of the local calendar (counted from any fixed day) and a time of day in minutes.
struct LocalTime {
    int64_t day = 0;
    int minuteOfDay = 0;
};

// An item of the page: its date, time of day and text, the text as the log keeps it.
struct PageItem {
    int64_t day = 0;
    int minuteOfDay = 0;
    std::string text;

    bool operator==(const PageItem&) const = default;
};

// How far a row's time may lie ahead of the local clock and still be today's: a server's
// clock may run a little ahead.
inline constexpr int ClockAheadMinutes = 10;
// The most items one poll logs: the newest.
inline constexpr size_t MostItemsPerPoll = 50;
// How far back a logged title's date is recognised.
inline constexpr int64_t OldestRecognisedDays = 366;

// The rows dated, top to bottom. The top row is today's, unless its time of day is more
// than ClockAheadMinutes later than now's: then it is yesterday's. Going down, a row later
// in the day than the row above it is one day older than that row. Of rows of the same
// time and text, only the first stays.
std::vector<PageItem> DatePageRows(const std::vector<PageRow>& rows, LocalTime now);

// A day as the user's short date format writes it.
using DayFormat = std::function<std::string(int64_t day)>;

// The item's log title: its date, a blank and its time of day "HH:MM".
std::string ItemTitle(const PageItem& item, const DayFormat& format);

// The places of the items (top to bottom, as DatePageRows gave them) that are new against
// the log's last entries (oldest first). The anchor is the last entry whose date and time
// are no later than ClockAheadMinutes after now; a title's date is recognised by the days
// the format writes, up to OldestRecognisedDays back, never parsed. New are the items above
// the first one equal to the anchor (date, time and text), when one is; otherwise those
// of the anchor's minute and later. Without an anchor (no entries, or the last one before
// any in the future reads as no date) only the top item is new. Never one that an entry
// holds (title and text); at most MostItemsPerPoll, the newest.
std::vector<size_t> NewItems(const std::vector<PageItem>& items, const std::vector<LogEntry>& lastEntries,
                             LocalTime now, const DayFormat& format);
