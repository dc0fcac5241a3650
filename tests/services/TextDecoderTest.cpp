#include <gtest/gtest.h>

#include "TextDecoder.h"

namespace {

// Against the real orcoredll.dll, loaded from the test program's folder as main.exe does.
TEST(ConvertText, DecodesThroughTheLibraryToUtf8)
{
    ASSERT_TRUE(DecoderAvailable());
    EXPECT_EQ(ConvertText("%C5%BDlu%C5%A5ou%C4%8Dk%C3%BD+k%C5%AF%C5%88"), "Žluťoučký kůň");
    EXPECT_EQ(ConvertText("%F0%9F%98%80"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(ConvertText("100%"), "100%");
    EXPECT_EQ(ConvertText(""), "");
}

TEST(ConvertText, KeepsTheLastCharacterOfATextThatFillsTheBuffer)
{
    EXPECT_EQ(ConvertText("abc"), "abc");
    EXPECT_EQ(ConvertText("x"), "x");
}

TEST(ConvertText, WithoutTheLibraryHandsTheTextBackAsWritten)
{
    TTextDecoder missing(L"C:\\no such folder\\orcoredll.dll");
    EXPECT_FALSE(missing.Available());
    EXPECT_EQ(missing.Convert("%C5%BDlu+x"), "%C5%BDlu+x");
}

} // namespace
