#include <gtest/gtest.h>

#include "IniText.h"

TEST(IniText, ReadsKeyOfItsSectionOnly)
{
    const char* text = "; comment\r\n[Other]\r\nSound=5\r\n[ settings ]\r\n  sound =  0 \r\nX=1\r\n";
    EXPECT_EQ(IniReadValue(text, "Settings", "Sound"), "0");
    EXPECT_EQ(IniReadValue(text, "Other", "sound"), "5");
    EXPECT_EQ(IniReadValue(text, "Settings", "Missing"), std::nullopt);
    EXPECT_EQ(IniReadValue(text, "Missing", "Sound"), std::nullopt);
    EXPECT_EQ(IniReadValue("", "Settings", "Sound"), std::nullopt);
    EXPECT_EQ(IniReadValue("[Settings]\n;Sound=1\n", "Settings", "Sound"), std::nullopt);
}

TEST(IniText, IntegersAreWholeDecimalNumbers)
{
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("1"), 1);
    EXPECT_EQ(ParseInteger("7"), 7);
    EXPECT_EQ(ParseInteger(" -3 "), -3);
    EXPECT_EQ(ParseInteger("+2"), 2);
    EXPECT_EQ(ParseInteger("abc"), std::nullopt);
    EXPECT_EQ(ParseInteger("1abc"), std::nullopt);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("+-2"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999999999999999"), std::nullopt);
}

TEST(IniText, WriteReplacesOnlyTheValueLine)
{
    std::string text = "# mine\r\n[Sources]\r\nNewsURL=http://x/\r\n\r\n[Settings]\r\nSound=1\r\nOther=a\r\n";
    EXPECT_EQ(IniWriteValue(text, "Settings", "Sound", "0"),
              "# mine\r\n[Sources]\r\nNewsURL=http://x/\r\n\r\n[Settings]\r\nSound=0\r\nOther=a\r\n");
}

TEST(IniText, WriteAddsKeyAfterSectionsLastLineOrAddsSection)
{
    EXPECT_EQ(IniWriteValue("[Settings]\nA=1\n\n[B]\n", "Settings", "Sound", "1"),
              "[Settings]\nA=1\nSound=1\n\n[B]\n");
    EXPECT_EQ(IniWriteValue("", "Settings", "Sound", "1"), "[Settings]\r\nSound=1\r\n");
    EXPECT_EQ(IniWriteValue("[Other]\nX=2", "Settings", "Sound", "0"), "[Other]\nX=2\n[Settings]\nSound=0\n");
    EXPECT_EQ(IniWriteValue("[Settings]", "Settings", "Sound", "0"), "[Settings]\r\nSound=0\r\n");
}

TEST(IniText, WrittenValueReadsBack)
{
    std::string text = IniWriteValue("[settings]\r\nsound=7\r\n", "Settings", "Sound", "0");
    EXPECT_EQ(text, "[settings]\r\nSound=0\r\n");
    EXPECT_EQ(IniReadValue(text, "Settings", "Sound"), "0");
}
