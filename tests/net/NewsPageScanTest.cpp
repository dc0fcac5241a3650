#include <gtest/gtest.h>

#include "NewsPageScan.h"

namespace {

using Lines = std::vector<std::string>;

const std::string Marker = "<td class=\"date\">";
const std::string RowAt25 = "       " + Marker + "14:35</td>";

std::optional<std::string> TextAfter(const std::string& cellLine)
{
    auto item = ScanNewsPage({RowAt25, cellLine}, "6.12.2026");
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
    auto item = ScanNewsPage({"<html>", RowAt25, "<td>Text</td>"}, "6.12.2026");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "6.12.2026 14:35");
    EXPECT_EQ(item->Text, "Text");

    item = ScanNewsPage({Marker + "abcdefg09:15</td>", "<td>x</td>"}, "1.1.2027");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "1.1.2027 09:15") << "position 25 does not follow the marker";

    EXPECT_EQ(ScanNewsPage({Marker + "12345678", "<td>x</td>"}, "d")->Title, "d 8") << "25 characters";
    EXPECT_EQ(ScanNewsPage({Marker + "1234567", "<td>x</td>"}, "d")->Title, "d ") << "24 characters";
    EXPECT_EQ(ScanNewsPage({"\xC4\x8D" + Marker + "12345678", "<td>x</td>"}, "d")->Title, "d 678")
        << "positions count bytes";
}

TEST(NewsPageScan, OnlyTheFirstMarkerLineCounts)
{
    auto item = ScanNewsPage({RowAt25, "<td>first</td>", "       " + Marker + "23:59</td>", "<td>second</td>"}, "d");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "d 14:35");
    EXPECT_EQ(item->Text, "first");
    EXPECT_FALSE(ScanNewsPage({"<td class=date>", "<td>x</td>"}, "d"));
    EXPECT_FALSE(ScanNewsPage({}, "d"));
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

TEST(NewsPageScan, MarkerOnTheLastLineGivesATitleWithoutText)
{
    auto item = ScanNewsPage({"<p>", RowAt25}, "d");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Title, "d 14:35");
    EXPECT_FALSE(item->Text);
}
