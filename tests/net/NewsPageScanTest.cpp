#include <gtest/gtest.h>

#include "NewItems.h"
#include "NewsPageScan.h"

namespace {

// A page of those lines, each but the last ended by CR LF.
std::string Page(const std::vector<std::string>& lines)
{
    std::string page;
    for (size_t i = 0; i < lines.size(); ++i)
        page += (i == 0 ? "" : "\r\n") + lines[i];
    return page;
}

const std::string Marker = "<td class=\"date\">";
std::string MarkerLine(const std::string& time) { return "       " + Marker + time + "</td>"; }
const std::string RowAt25 = MarkerLine("14:35");

std::optional<std::string> TextAfter(const std::string& cellLine)
{
    const auto rows = ScanNewsPage(Page({RowAt25, cellLine}));
    return rows.empty() ? std::nullopt : std::optional(rows[0].text);
}

} // namespace

TEST(NewsPageScan, CopyFollowsOneBasedByteRules)
{
    EXPECT_EQ(CopyText("abcdef", 2, 3), "bcd");
    EXPECT_EQ(CopyText("abcdef", 0, 2), "ab");
    EXPECT_EQ(CopyText("abcdef", -5, 2), "ab");
    EXPECT_EQ(CopyText("abcdef", 7, 1), "");
    EXPECT_EQ(CopyText("abcdef", 6, 1), "f");
    EXPECT_EQ(CopyText("abcdef", 3, -1), "");
    EXPECT_EQ(CopyText("abcdef", 3, 0), "");
    EXPECT_EQ(CopyText("abcdef", 4, 100), "def");
    EXPECT_EQ(PositionOf("</td>", "xx</td>"), 3);
    EXPECT_EQ(PositionOf("<td>", "xx"), 0);
}

TEST(NewsPageScan, TimeOfDayIsTheFiveCharactersAtFixedPosition25)
{
    ASSERT_EQ(RowAt25.find("14:35"), 24u);
    EXPECT_EQ(ScanNewsPage(Page({"<html>", RowAt25, "<td>Text</td>"})), (std::vector<PageRow>{{14 * 60 + 35, "Text"}}));
    EXPECT_EQ(ScanNewsPage(Page({Marker + "abcdefg09:15</td>", "<td>x</td>"})), (std::vector<PageRow>{{9 * 60 + 15, "x"}}))
        << "position 25 does not follow the marker";
    EXPECT_EQ(ScanNewsPage(Page({"\xC4\x8D" + Marker + "abcde23:59", "<td>x</td>"})), (std::vector<PageRow>{{1439, "x"}}))
        << "positions count bytes";
    // No time of day: no item.
    for (const std::string& time : {"24:00", "12:60", "9:05<", "12.30", "1:2", "", "12:3\xC5"}) {
        EXPECT_TRUE(ScanNewsPage(Page({MarkerLine(time), "<td>x</td>"})).empty()) << time;
    }
    EXPECT_EQ(MinuteOfDay("00:00"), 0);
    EXPECT_FALSE(MinuteOfDay("0a:00"));
}

TEST(NewsPageScan, TextCellEdgeCases)
{
    EXPECT_EQ(TextAfter("<td>Text</td>"), "Text");
    EXPECT_EQ(TextAfter("  <td>a%20b</td><td>c</td>"), "a%20b");
    EXPECT_EQ(TextAfter("<td></td>"), "");
    EXPECT_EQ(TextAfter("xx</td>"), "");
    EXPECT_EQ(TextAfter("<td>no end"), "");
    EXPECT_EQ(TextAfter("neither tag"), "");
    EXPECT_EQ(TextAfter("</td><td>x"), "");
    EXPECT_EQ(TextAfter("abcd</td>"), "d") << "no <td>: start 4, length b - 4";
}

TEST(NewsPageScan, LinesEndAtCrLfLfOrCrAndThePageAtItsFirstZeroByte)
{
    EXPECT_EQ(ScanNewsPage("<p>\n" + RowAt25 + "\r<td>cr</td>")[0].text, "cr");
    EXPECT_EQ(ScanNewsPage(RowAt25 + "\n\r\n<td>x</td>")[0].text, "") << "LF then CR LF: an empty line";
    EXPECT_EQ(ScanNewsPage(RowAt25 + "\r\n<td>crlf</td>\r\n")[0].text, "crlf");
    EXPECT_TRUE(ScanNewsPage(RowAt25 + "\r\n").empty()) << "a last line end starts no line";
    EXPECT_TRUE(ScanNewsPage(RowAt25 + std::string("\0\n<td>x</td>", 12)).empty());
    EXPECT_TRUE(ScanNewsPage(std::string("<p>\0\n", 5) + RowAt25 + "\r\n<td>x</td>").empty());
}

namespace {

constexpr int64_t kToday = 1000;

// The 10th of December 2026 is day kToday.
std::string TestDate(int64_t day) { return std::to_string(day - kToday + 10) + ".12.2026"; }

// An item row as the site writes it.
std::vector<std::string> Row(const std::string& time, const std::string& text)
{
    return {MarkerLine(time), "<td>" + text + "</td>"};
}

std::vector<std::string> Rows(std::initializer_list<std::vector<std::string>> rows)
{
    std::vector<std::string> lines = {"<table>"};
    for (const auto& row : rows)
        lines.insert(lines.end(), row.begin(), row.end());
    return lines;
}

std::string Clock(int minute)
{
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", minute / 60, minute % 60);
    return time;
}

} // namespace

// The page read, dated and told apart from the log: each item of the page as "+ " (new) or
// "  ", its title and its text.
TEST(NewsPageScan, PageItemsAreDatedAndTheNewOnesPickedAgainstTheLog)
{
    struct Case {
        const char* name;
        std::vector<std::string> page;
        std::string now; // on the 10th
        std::vector<LogEntry> log;
        std::vector<std::string> items;
    };
    // 120 rows, a minute apart from 13:59 down: the first 100 are read, the newest 50 new.
    std::vector<std::string> manyRows = {"<table>"};
    std::vector<std::string> manyItems;
    for (int minute = 13 * 60 + 59; minute > 11 * 60 + 59; --minute) {
        const auto row = Row(Clock(minute), "z" + Clock(minute));
        manyRows.insert(manyRows.end(), row.begin(), row.end());
        if (manyItems.size() < 100)
            manyItems.push_back((manyItems.size() < 50 ? "+ 10.12.2026 " : "  10.12.2026 ") + Clock(minute) + " z" + Clock(minute));
    }
    const Case cases[] = {
        {"midnight: the day's last item still on top is yesterday's", Rows({Row("23:50", "a")}), "00:05",
         {{"9.12.2026 23:50", "a"}}, {"  9.12.2026 23:50 a"}},
        {"midnight: the first item of the day above it", Rows({Row("00:03", "b"), Row("23:50", "a")}), "00:05",
         {{"9.12.2026 23:50", "a"}}, {"+ 10.12.2026 00:03 b", "  9.12.2026 23:50 a"}},
        {"the server's clock 10 minutes ahead: today's", Rows({Row("14:45", "b"), Row("14:20", "a")}), "14:35",
         {{"10.12.2026 14:20", "a"}}, {"+ 10.12.2026 14:45 b", "  10.12.2026 14:20 a"}},
        {"11 minutes ahead: yesterday's, so not new yet", Rows({Row("14:46", "b"), Row("14:20", "a")}), "14:35",
         {{"10.12.2026 14:20", "a"}}, {"  9.12.2026 14:46 b", "  9.12.2026 14:20 a"}},
        {"a minute later: late, not lost", Rows({Row("14:46", "b"), Row("14:20", "a")}), "14:36",
         {{"10.12.2026 14:20", "a"}}, {"+ 10.12.2026 14:46 b", "  10.12.2026 14:20 a"}},
        {"several days", Rows({Row("08:00", "e"), Row("22:00", "d"), Row("09:00", "c"), Row("23:00", "b"), Row("07:00", "a")}),
         "08:30", {{"8.12.2026 07:00", "a"}, {"8.12.2026 23:00", "b"}},
         {"+ 10.12.2026 08:00 e", "+ 9.12.2026 22:00 d", "+ 9.12.2026 09:00 c", "  8.12.2026 23:00 b", "  8.12.2026 07:00 a"}},
        {"equal times: the second item of the minute", Rows({Row("14:35", "b"), Row("14:35", "a"), Row("14:30", "z")}),
         "14:40", {{"10.12.2026 14:35", "a"}}, {"+ 10.12.2026 14:35 b", "  10.12.2026 14:35 a", "  10.12.2026 14:30 z"}},
        {"equal times: the anchor gone, its minute's others told by their text",
         Rows({Row("14:36", "c"), Row("14:35", "b"), Row("14:35", "a")}), "14:40",
         {{"10.12.2026 14:35", "a"}, {"10.12.2026 14:35", "gone"}},
         {"+ 10.12.2026 14:36 c", "+ 10.12.2026 14:35 b", "  10.12.2026 14:35 a"}},
        {"an item the log holds already, above the anchor", Rows({Row("10:00", "x"), Row("10:00", "y")}), "14:40",
         {{"10.12.2026 10:00", "x"}, {"10.12.2026 10:00", "a"}, {"10.12.2026 10:00", "y"}},
         {"  10.12.2026 10:00 x", "  10.12.2026 10:00 y"}},
        {"a corrected text", Rows({Row("14:35", "a corrected")}), "14:40", {{"10.12.2026 14:35", "a"}},
         {"+ 10.12.2026 14:35 a corrected"}},
        {"a duplicate row is one item", Rows({Row("14:35", "a"), Row("14:35", "a"), Row("14:30", "z")}), "14:40",
         {{"10.12.2026 14:30", "z"}}, {"+ 10.12.2026 14:35 a", "  10.12.2026 14:30 z"}},
        {"rows without text or time are no items",
         {MarkerLine("14:40"), MarkerLine("14:35"), "<td>a</td>", MarkerLine("14:3x"), "<td>b</td>", MarkerLine("14:30")},
         "14:40", {}, {"+ 10.12.2026 14:35 a"}},
        {"rows out of order", Rows({Row("10:00", "c"), Row("11:00", "b"), Row("09:00", "a")}), "12:00",
         {{"9.12.2026 11:00", "b"}}, {"+ 10.12.2026 10:00 c", "  9.12.2026 11:00 b", "  9.12.2026 09:00 a"}},
        {"an entry dated in the future is no anchor", Rows({Row("09:00", "b"), Row("08:00", "a"), Row("23:50", "x")}),
         "09:05", {{"9.12.2026 23:50", "x"}, {"10.12.2026 08:00", "a"}, {"10.12.2026 23:50", "x"}, {"11.12.2026 00:10", "y"}},
         {"+ 10.12.2026 09:00 b", "  10.12.2026 08:00 a", "  9.12.2026 23:50 x"}},
        {"an empty log: the top item only", Rows({Row("14:35", "b"), Row("14:30", "a")}), "14:40", {},
         {"+ 10.12.2026 14:35 b", "  10.12.2026 14:30 a"}},
        {"a last title that reads as no date: the top item only", Rows({Row("14:35", "b"), Row("14:30", "a")}), "14:40",
         {{"10.12.2026 14:00", "o"}, {"Dec 10 14:20", "n"}}, {"+ 10.12.2026 14:35 b", "  10.12.2026 14:30 a"}},
        {"a year back is still a date", Rows({Row("14:35", "b"), Row("14:30", "a")}), "14:40",
         {{"-356.12.2026 14:00", "o"}}, {"+ 10.12.2026 14:35 b", "+ 10.12.2026 14:30 a"}},
        {"120 new rows: 100 read, the newest 50 new", manyRows, "14:00", {{"10.12.2026 11:00", "old"}}, manyItems},
    };
    const DayFormat format = TestDate;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LocalTime now{kToday, *MinuteOfDay(c.now)};
        const std::vector<PageItem> items = DatePageRows(ScanNewsPage(Page(c.page)), now);
        const std::vector<size_t> fresh = NewItems(items, c.log, now, format);
        std::vector<std::string> shown;
        for (size_t i = 0; i < items.size(); ++i) {
            const bool isNew = std::find(fresh.begin(), fresh.end(), i) != fresh.end();
            shown.push_back((isNew ? "+ " : "  ") + ItemTitle(items[i], format) + " " + items[i].text);
        }
        EXPECT_EQ(shown, c.items);
    }
}
