#include <gtest/gtest.h>

#include <windows.h>

#include "Exception.h"
#include "FileIO.h"
#include "IniFile.h"
#include "IniText.h"
#include "Win32Handle.h"

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

TEST(IniText, ByteOrderMarkIsPassedOverAndKept)
{
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(IniReadValue(mark + "[Settings]\r\nSound=0\r\n", "Settings", "Sound"), "0");
    const std::pair<std::string, std::string> writes[] = {
        {mark + "[Settings]\r\nSound=0\r\n", mark + "[Settings]\r\nSound=1\r\n"},
        {mark + "[Settings]\nA=2", mark + "[Settings]\nA=2\nSound=1\n"},
        {mark + "[Other]\nX=2", mark + "[Other]\nX=2\n[Settings]\nSound=1\n"},
        {mark, mark + "[Settings]\r\nSound=1\r\n"},
    };
    for (const auto& [before, after] : writes)
        EXPECT_EQ(IniWriteValue(before, "Settings", "Sound", "1"), after) << before;
}

TEST(IniFile, AFileThatCannotBeReadBackIsNotWritten)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = folder + std::wstring(L"soriel-ini-") + std::to_wstring(GetCurrentProcessId()) + L".ini";
    const std::string text = "[Sources]\r\nNewsURL=http://example.invalid/\r\n";
    WriteFileAtomically(path, text);
    TIniFile settings(path);
    // Grown past what is read whole (sparse: it takes no room), it can no longer be read back.
    LARGE_INTEGER size{};
    size.QuadPart = 3LL << 30;
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file && SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }
    EXPECT_THROW(settings.WriteString("Settings", "Sound", "1"), Exception);
    WIN32_FILE_ATTRIBUTE_DATA kept{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &kept));
    EXPECT_EQ((ULONGLONG(kept.nFileSizeHigh) << 32) | kept.nFileSizeLow, ULONGLONG(size.QuadPart));
    DeleteFileW(path.c_str());
}
