#include <gtest/gtest.h>
#include <windows.h>

#include "ShownText.h"
#include "Text.h"

namespace {

struct Case {
    const char* name;
    std::string bytes;
    std::string shown;
};

} // namespace

TEST(ShownText, DecodesCleansAndBreaksLines)
{
    const Case cases[] = {
        {"ascii", "Hello", "Hello"},
        {"utf8 czech", "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88", "Žluťoučký kůň"},
        {"cp1250 czech", "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2", "Žluťoučký kůň"},
        {"utf8 mark, ascii after it", "\xEF\xBB\xBFPlain", "Plain"},
        {"utf8 four-byte letter", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"above U+10FFFF is not utf8", "\xF4\x90\x80\x80", "ô€€"},
        {"one invalid sequence makes it cp1250", "\xC5\xBD and \xE8", "Ĺ˝ and č"},
        {"a truncated sequence at the end is not utf8", "abc\xC5", "abcĹ"},
        {"overlong form is not utf8", "\xC0\xAF", "ŔŻ"},
        {"encoded surrogate is not utf8", "\xED\xA0\x80", "í\xC2\xA0€"},
        {"line breaks become CR LF", "a\rb\nc\r\nd\n\re", "a\r\nb\r\nc\r\nd\r\n\r\ne"},
        {"controls go, tabs stay", std::string("a\x01\x1B[0m\x7F\tb\0c", 11), "a[0m\tbc"},
        {"C1 controls go", "x\xC2\x85y\xC2\x9Fz\xC2\xA0", "xyz\xC2\xA0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShownText(c.bytes), c.shown);
    }
}

TEST(ShownText, EveryCodePage1250ByteDecodesAsThePlatformDoes)
{
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        char in = char(byte);
        wchar_t platform = 0;
        ASSERT_EQ(MultiByteToWideChar(1250, 0, &in, 1, &platform, 1), 1);
        bool control = platform == 0x7F || (platform >= 0x80 && platform <= 0x9F);
        EXPECT_EQ(ShownText(std::string(1, in)), control ? "" : Narrow(std::wstring(1, platform))) << "byte " << byte;
    }
}

TEST(ShownText, LongTextsAreCutWithoutSplittingACharacter)
{
    // "a" then two-byte letters: the limit falls inside the letter that starts just before it.
    std::string utf8 = "a";
    while (utf8.size() < 3 * kShownTextLimit)
        utf8 += "\xC5\xBE";
    std::string shown = ShownText(utf8);
    EXPECT_EQ(shown.size(), kShownTextLimit - 1);
    EXPECT_TRUE(IsValidUtf8(shown));

    // Code page 1250 keeps exactly the limit in characters.
    std::wstring wide = Widen(ShownText(std::string(2 * kShownTextLimit, '\x9E')));
    EXPECT_EQ(wide, std::wstring(kShownTextLimit, L'ž'));
}

TEST(ShownText, BackslashNBecomesALineBreak)
{
    EXPECT_EQ(ExpandLineBreakEscapes("one\\ntwo"), "one\rtwo");
    EXPECT_EQ(ExpandLineBreakEscapes("\\n\\n"), "\r\r");
    EXPECT_EQ(ExpandLineBreakEscapes("a\\\\nb\\N\\"), "a\\\rb\\N\\");
    EXPECT_EQ(ShownText(ExpandLineBreakEscapes("Nová verze\\nje tu")), "Nová verze\r\nje tu");
}
