#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An item row of the news page: its time of day and its text.
struct PageRow {
    // Minutes after midnight.
    int minuteOfDay = 0;
    std::string text;

    bool operator==(const PageRow&) const = default;
};

inline constexpr std::string_view ItemRowMarker = "<td class=\"date\">";
// The most item rows a poll reads; the page shows a few days' items.
inline constexpr size_t MostPageRows = 100;

// Part of a string by 1-based byte position: a start below 1 counts as 1, a start past
// the end or a negative count gives nothing, a count past the end stops at the end.
std::string CopyText(std::string_view text, long long start, long long count);

// 1-based byte position of the first occurrence, 0 when there is none.
long long PositionOf(std::string_view part, std::string_view text);

// "HH:MM" as minutes after midnight; nothing for anything else.
std::optional<int> MinuteOfDay(std::string_view time);

// The item rows of the page, top to bottom, at most MostPageRows, read in its lines as
// TextLines splits them, where they lie: the time of day at position 25 of a marker line
// and the raw text of the line after it, of a text longer than RawItemTextLimit bytes only
// its start. A marker line with no line after it, or with another marker line after it,
// or whose time is no time of day, is no item.
std::vector<PageRow> ScanNewsPage(std::string_view page);
