#pragma once
#include <optional>
#include <string>
#include <string_view>

// The first item row of the news page.
struct NewsItem {
    std::string Title;
    // None when the marker stood on the page's last line: the previous text stays.
    std::optional<std::string> Text;
};

inline constexpr std::string_view ItemRowMarker = "<td class=\"date\">";

// Part of a string by 1-based byte position: a start below 1 counts as 1, a start past
// the end or a negative count gives nothing, a count past the end stops at the end.
std::string CopyText(std::string_view text, long long start, long long count);

// 1-based byte position of the first occurrence, 0 when there is none.
long long PositionOf(std::string_view part, std::string_view text);

// Title "<date> <time of day>" and the raw text of the first item row of the page, read in
// its lines as TextLines splits them, if any; of a text longer than RawItemTextLimit bytes
// only its start. The page is read where it lies, up to the line after the item row.
std::optional<NewsItem> ScanNewsPage(std::string_view page, std::string_view date);
