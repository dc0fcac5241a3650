#include <gtest/gtest.h>

#include "ResumeRules.h"

// What an earlier attempt's bytes can be resumed by, and how the reply to a request for the
// rest is taken.
TEST(ResumeRules, ValidatorsAndRepliesToARequestForTheRest)
{
    const struct {
        const char* etag;
        const char* lastModified;
        const char* expected;
    } validators[] = {
        {"\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT", "\"v1\""},
        {"W/\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT", "Tue, 08 Dec 2026 10:00:00 GMT"},
        {"", "Tue, 08 Dec 2026 10:00:00 GMT", "Tue, 08 Dec 2026 10:00:00 GMT"},
        {"W/\"v1\"", "", ""},
        {"", "", ""},
        {"\"v1\r\nX: injected\"", "", ""},
    };
    for (const auto& v : validators)
        EXPECT_EQ(ResumeValidator(v.etag, v.lastModified), v.expected) << v.etag << " / " << v.lastModified;

    EXPECT_EQ(ResumeConditions({.bytes = 1000, .validator = "\"v1\""}), "Range: bytes=1000-\r\nIf-Range: \"v1\"\r\n");

    const struct {
        unsigned status;
        const char* contentRange;
        ResumeReply expected;
    } replies[] = {
        {206, "bytes 1000-1999/2000", ResumeReply::Append},
        {206, "bytes 1000-1999/*", ResumeReply::Append},
        {200, "", ResumeReply::Whole},
        {404, "", ResumeReply::Whole},
        {206, "bytes 0-1999/2000", ResumeReply::StartOver},
        {206, "bytes 999-1999/2000", ResumeReply::StartOver},
        {206, "bytes 1000-1999/5000", ResumeReply::StartOver},
        {206, "bytes 1000-999/2000", ResumeReply::StartOver},
        {206, "", ResumeReply::StartOver},
        {206, "bytes 1000-1999", ResumeReply::StartOver},
        {206, "items 1000-1999/2000", ResumeReply::StartOver},
        {416, "bytes */1000", ResumeReply::StartOver},
    };
    for (const auto& r : replies)
        EXPECT_EQ(JudgeResumeReply(r.status, r.contentRange, 1000), r.expected) << r.status << " " << r.contentRange;
}

// The record beside the held bytes reads back as written; a cut or doctored one is none.
TEST(ResumeRules, PartialRecordReadsBackOrNotAtAll)
{
    const PartialRecord record{.address = "http://host/main.exe_NEW?a=b",
                               .sha256 = std::string(64, 'a'),
                               .validator = "\"v1\"",
                               .bytes = 123456};
    const std::string text = PartialRecordText(record);
    const std::optional<PartialRecord> back = ParsePartialRecord(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address, record.address);
    EXPECT_EQ(back->sha256, record.sha256);
    EXPECT_EQ(back->validator, record.validator);
    EXPECT_EQ(back->bytes, record.bytes);
    const std::string broken[] = {text.substr(0, text.find("bytes=")), "", text + "garbage\r\n",
                                  "address=a\r\nsha256=b\r\nvalidator=\r\nbytes=5\r\n",
                                  "address=a\r\nsha256=b\r\nvalidator=v\r\nbytes=5x\r\n"};
    for (const std::string& doctored : broken)
        EXPECT_FALSE(ParsePartialRecord(doctored)) << doctored;
}
