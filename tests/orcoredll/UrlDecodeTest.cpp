#include <gtest/gtest.h>

#include <string>

#include "UrlDecode.h"

namespace {

struct Case {
    const char* encoded;
    std::u16string decoded;
};

void ExpectDecodes(std::initializer_list<Case> cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(DecodeUrlUtf8(c.encoded), c.decoded) << "input: " << c.encoded;
}

TEST(DecodeUrlUtf8, DecodesEscapesAndUtf8)
{
    ExpectDecodes({
        {"", u""},
        {"Hello, world! 09:30", u"Hello, world! 09:30"},
        {"%C5%BDlu%C5%A5ou%C4%8Dk%C3%BD", u"Žluťoučký"},
        {"%c5%bd%C5%bD", u"ŽŽ"},
        {"\xC5\xBDlu\xC5\xA5", u"Žluť"},
        {"%F0%9F%98%80", u"\U0001F600"},
        {"%E2%82%AC", u"€"},
    });
}

TEST(DecodeUrlUtf8, PlusIsABlankAndEscapedPlusIsAPlus)
{
    ExpectDecodes({{"a+b", u"a b"}, {"1%2B1", u"1+1"}, {"+", u" "}});
}

TEST(DecodeUrlUtf8, PercentWithoutTwoHexDigitsStaysAsWritten)
{
    ExpectDecodes({
        {"100%", u"100%"},
        {"%", u"%"},
        {"%4", u"%4"},
        {"%zz", u"%zz"},
        {"%4g", u"%4g"},
        {"%%41", u"%A"},
        {"a%00b", u"a%00b"},
    });
}

TEST(DecodeUrlUtf8, InvalidUtf8BecomesOneReplacementPerMaximalSubpart)
{
    ExpectDecodes({
        {"%C5", u"\uFFFD"},
        {"%C5A", u"\uFFFDA"},
        {"%E2%82", u"\uFFFD"},
        {"%E2%82A", u"\uFFFDA"},
        {"%F0%9F%98", u"\uFFFD"},
        {"%FF%FE", u"\uFFFD\uFFFD"},
        {"%C0%AF", u"\uFFFD\uFFFD"},
        {"%ED%A0%80", u"\uFFFD\uFFFD\uFFFD"},
        {"%F4%90%80%80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"%E0%80%AF", u"\uFFFD\uFFFD\uFFFD"},
        // The example of the Unicode standard's chapter on conversion.
        {"a%F1%80%80%E1%80%C2b%80c%80%BFd", u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
    });
}

// The caller sizes its buffer on this: n bytes never decode to more than n units.
TEST(DecodeUrlUtf8, NeverLongerInUnitsThanTheInputInBytes)
{
    for (unsigned first = 1; first < 256; ++first)
        for (unsigned second = 1; second < 256; ++second) {
            std::string raw{char(first), char(second)};
            ASSERT_LE(DecodeUrlUtf8(raw).size(), raw.size());
        }
    for (unsigned lead = 0xF0; lead <= 0xF4; ++lead)
        for (unsigned next = 0x80; next < 0xC0; ++next) {
            std::string raw{char(lead), char(next), char(0x80), char(0x80)};
            ASSERT_LE(DecodeUrlUtf8(raw).size(), raw.size());
        }
}

} // namespace
