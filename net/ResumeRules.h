#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Bytes of a download kept from an earlier attempt: how many, and the validator of the reply
// they came from.
struct HeldPart {
    uint64_t bytes = 0;
    std::string validator;
};

// What names a reply's bytes for a later range request: its entity tag when strong, else its
// Last-Modified date; empty when it has neither (or one that cannot go back in a header): such
// bytes cannot be resumed safely.
std::string ResumeValidator(std::string_view etag, std::string_view lastModified);

// The header lines that ask for the rest after the held bytes, and for the whole file instead
// when it has changed since.
std::string ResumeConditions(const HeldPart& held);

enum class ResumeReply {
    Append,    // 206 from the end of the held bytes: the rest follows
    Whole,     // the file from its start (200), or a refusal taken as any other
    StartOver, // a reply that does not fit the held bytes: they go, and the file is asked for anew
};

// How the reply to a request of ResumeConditions is taken.
ResumeReply JudgeResumeReply(unsigned status, std::string_view contentRange, uint64_t heldBytes);

// What is kept beside the held bytes, so that a later start finds them for the same file.
struct PartialRecord {
    std::string address;
    std::string sha256;
    std::string validator;
    uint64_t bytes = 0;
};

std::string PartialRecordText(const PartialRecord& record);
// None for a text that does not hold a whole record.
std::optional<PartialRecord> ParsePartialRecord(std::string_view text);
