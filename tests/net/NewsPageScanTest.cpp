#include <gtest/gtest.h>

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
const std::string RowAt25 = "       " + Marker + "14:35</td>";

std::optional<std::string> TextAfter(const std::string& cellLine)
{
    auto item = ScanNewsPage(Page({RowAt25, cellLine}), "6.12.2026");
    return item ? item->Text : std::nullopt;
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

TEST(NewsPageScan, TitleTakesFiveCharactersAtFixedPosition25)
{
    ASSERT_EQ(RowAt25.find("14:35"), 24u);
    auto item = ScanNewsPage(Page({"<html>", RowAt25, "<td>Text</td>"}), "6.12.2026");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "6.12.2026 14:35");
    EXPECT_EQ(item->Text, "Text");

    item = ScanNewsPage(Page({Marker + "abcdefg09:15</td>", "<td>x</td>"}), "1.1.2027");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "1.1.2027 09:15") << "position 25 does not follow the marker";

    EXPECT_EQ(ScanNewsPage(Page({Marker + "12345678", "<td>x</td>"}), "d")->Title, "d 8") << "25 characters";
    EXPECT_EQ(ScanNewsPage(Page({Marker + "1234567", "<td>x</td>"}), "d")->Title, "d ") << "24 characters";
    EXPECT_EQ(ScanNewsPage(Page({"\xC4\x8D" + Marker + "12345678", "<td>x</td>"}), "d")->Title, "d 678")
        << "positions count bytes";
}

TEST(NewsPageScan, OnlyTheFirstMarkerLineCounts)
{
    auto item =
        ScanNewsPage(Page({RowAt25, "<td>first</td>", "       " + Marker + "23:59</td>", "<td>second</td>"}), "d");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "d 14:35");
    EXPECT_EQ(item->Text, "first");
    EXPECT_FALSE(ScanNewsPage(Page({"<td class=date>", "<td>x</td>"}), "d"));
    EXPECT_FALSE(ScanNewsPage("", "d"));
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
    EXPECT_EQ(ScanNewsPage("<p>\n" + RowAt25 + "\r<td>cr</td>", "d")->Text, "cr");
    EXPECT_EQ(ScanNewsPage(RowAt25 + "\n\r\n<td>x</td>", "d")->Text, "") << "LF then CR LF: an empty line";
    EXPECT_EQ(ScanNewsPage(RowAt25 + "\r\n<td>crlf</td>\r\n", "d")->Text, "crlf");
    EXPECT_FALSE(ScanNewsPage(RowAt25 + "\r\n", "d")->Text) << "a last line end starts no line";
    EXPECT_FALSE(ScanNewsPage(RowAt25 + std::string("\0\n<td>x</td>", 12), "d")->Text);
    EXPECT_FALSE(ScanNewsPage(std::string("<p>\0\n", 5) + RowAt25, "d"));
}

TEST(NewsPageScan, MarkerOnTheLastLineGivesATitleWithoutText)
{
    auto item = ScanNewsPage(Page({"<p>", RowAt25}), "d");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "d 14:35");
    EXPECT_FALSE(item->Text);
}
