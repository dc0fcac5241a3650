#include <gtest/gtest.h>

#include "StringList.h"

namespace {
std::vector<std::string> Split(std::string_view text)
{
    TStringList list;
    list.SetText(text);
    return list.Lines();
}
} // namespace

TEST(StringList, SplitsAtEveryKindOfLineEnd)
{
    using L = std::vector<std::string>;
    EXPECT_EQ(Split(""), L{});
    EXPECT_EQ(Split("one"), L{"one"});
    EXPECT_EQ(Split("a\r\nb\nc\rd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\n"), L{"a"});
    EXPECT_EQ(Split("\r\n\r\n"), (L{"", ""}));
    EXPECT_EQ(Split("a\n\rb"), (L{"a", "", "b"}));
    EXPECT_EQ(Split("a\r\r\nb"), (L{"a", "", "b"}));
}

TEST(StringList, TextEndsAtFirstZeroByte)
{
    using namespace std::string_literals;
    EXPECT_EQ(Split("a\nb\0c\nd"s), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Split("\0abc"s), std::vector<std::string>{});
}

TEST(StringList, TextJoinsWithCrLfAndIndexOfIsExact)
{
    TStringList list;
    list.Add("x");
    list.Add("");
    list.Add("Y");
    EXPECT_EQ(list.Text(), "x\r\n\r\nY\r\n");
    EXPECT_EQ(list.IndexOf("Y"), 2);
    EXPECT_EQ(list.IndexOf("y"), -1);
}
