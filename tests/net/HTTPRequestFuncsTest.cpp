#include <gtest/gtest.h>

#include "ErrorOf.h"
#include "Exception.h"
#include "HTTPRequestFuncs.h"
#include "ScriptedHttpServer.h"
#include "WebTransfer.h"

namespace {

std::string Inflated(std::string_view member)
{
    TMemoryStream output;
    InflateGzip(member, output);
    return output.Bytes();
}

} // namespace

TEST(HTTPRequestFuncs, QueryBuilding)
{
    EXPECT_EQ(EscapePlus("?a=1+2+"), "?a=1%2B2%2B");
    EXPECT_EQ(AppendQuery("/p", "x=1"), "/p?x=1");
    EXPECT_EQ(AppendQuery("/p?a=1", "x=1"), "/p?a=1&x=1");
    EXPECT_EQ(FormBody("?a=1", "b=2"), "a=1&b=2");
    EXPECT_EQ(FormBody("", "b=2"), "b=2");
    EXPECT_EQ(FormBody("?a=1", ""), "a=1");
    EXPECT_EQ(FormBody("", ""), "");
}

TEST(HTTPRequestFuncs, SplittingAtACharacter)
{
    using Parts = std::vector<std::string>;
    EXPECT_EQ(SplitAt("a&b", '&'), (Parts{"a", "b"}));
    EXPECT_EQ(SplitAt("a&b&", '&'), (Parts{"a", "b"}));
    EXPECT_EQ(SplitAt("a=", '='), (Parts{"a"}));
    EXPECT_EQ(SplitAt("a&&b", '&'), (Parts{"a", "", "b"}));
    EXPECT_EQ(SplitAt("", '&'), Parts{});
}

TEST(HTTPRequestFuncs, FormPairsKeepValuesEncodedAndRejectMalformedPairs)
{
    auto pairs = FormPairs("&a=1&b=x%20y");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1], (FormPair{"b", "x%20y"}));
    EXPECT_EQ(ErrorOf([] { FormPairs("a="); }), "could not convert a= to multipart");
    EXPECT_EQ(ErrorOf([] { FormPairs("a=1=2"); }), "could not convert a=1=2 to multipart");
    EXPECT_EQ(ErrorOf([] { FormPairs("a=1&&b=2"); }), "could not convert  to multipart");
}

TEST(HTTPRequestFuncs, MultipartBodyIsExact)
{
    const std::string delimiter = "-------------------------------7cf87224d2020a";
    EXPECT_EQ(delimiter.size(), 45u);
    EXPECT_EQ(MultipartBody({{"a", "1"}, {"b", "two"}}),
              delimiter + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n" + delimiter +
                  "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\ntwo\r\n" + delimiter + "--\r\n");
    EXPECT_EQ(MultipartBody({{"a", std::string("x\0y", 3)}}),
              delimiter + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx");
    EXPECT_EQ(ErrorOf([] { MultipartBody({}); }), "multipart error: no variables to post");
}

TEST(HTTPRequestFuncs, Base64WithLinesOf64)
{
    EXPECT_EQ(Base64Lines("abc"), "YWJj");
    EXPECT_EQ(Base64Lines("a"), "YQ==");
    EXPECT_EQ(Base64Lines("ab"), "YWI=");
    EXPECT_EQ(Base64Lines(""), "");
    EXPECT_EQ(Base64Lines(std::string("\xFF\x00\xFE", 3)), "/wD+");
    const std::string full = Base64Lines(std::string(48, 'x'));
    EXPECT_EQ(full.size(), 65u);
    EXPECT_EQ(full.back(), '\r');
    const std::string longer = Base64Lines(std::string(97, 'x'));
    EXPECT_EQ(longer.size(), 132u + 2);
    EXPECT_EQ(longer[64], '\r');
    EXPECT_EQ(longer[129], '\r');
    EXPECT_EQ(longer.substr(130), "eA==");
}

TEST(HTTPRequestFuncs, OnlyTheExactGzipSignatureCounts)
{
    EXPECT_TRUE(HasPlainGzipSignature(Gzip("page")));
    EXPECT_FALSE(HasPlainGzipSignature(Gzip("page", GzipHeader::WithTimeStamp)));
    EXPECT_FALSE(HasPlainGzipSignature(Gzip("page", GzipHeader::WithFileName)));
    EXPECT_FALSE(HasPlainGzipSignature(std::string("\x1F\x8B\x08\x00\x00\x00\x00", 7)));
    EXPECT_FALSE(HasPlainGzipSignature("plain text page"));
}

TEST(HTTPRequestFuncs, InflationAndItsFailures)
{
    const std::string page = "line one\r\nline two\r\n" + std::string(100000, 'z');
    const std::string member = Gzip(page);
    EXPECT_EQ(Inflated(member), page);
    EXPECT_EQ(ErrorOf([&] { Inflated(member.substr(0, member.size() / 2)); }), "Error");
    EXPECT_EQ(ErrorOf([&] { Inflated(member.substr(0, 10) + "not deflate data at all"); }), "Error");
    std::string badChecksum = member;
    badChecksum[badChecksum.size() - 6] ^= 0x55;
    EXPECT_EQ(ErrorOf([&] { Inflated(badChecksum); }), "Error");
    const std::string bomb = Gzip(std::string(MaxReplySize + 1, '\0'));
    EXPECT_EQ(ErrorOf([&] { Inflated(bomb); }), ReplyTooLargeMessage());
    EXPECT_EQ(Inflated(Gzip(std::string(MaxReplySize, '\0'))).size(), MaxReplySize);
}
