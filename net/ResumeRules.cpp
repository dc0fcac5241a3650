#include "ResumeRules.h"

#include <charconv>

namespace {

// Printable ASCII only: the value goes back to the server as a header.
bool FitsInHeader(std::string_view value)
{
    for (char c : value)
        if (c < 0x20 || c > 0x7e)
            return false;
    return !value.empty();
}

std::optional<uint64_t> Number(std::string_view text)
{
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::string ResumeValidator(std::string_view etag, std::string_view lastModified)
{
    // A weak tag says the bytes may differ: no range may be joined on to them.
    if (etag.size() >= 2 && etag.front() == '"' && etag.back() == '"' && FitsInHeader(etag))
        return std::string(etag);
    if (FitsInHeader(lastModified))
        return std::string(lastModified);
    return {};
}

std::string ResumeConditions(const HeldPart& held)
{
    return "Range: bytes=" + std::to_string(held.bytes) + "-\r\nIf-Range: " + held.validator + "\r\n";
}

ResumeReply JudgeResumeReply(unsigned status, std::string_view contentRange, uint64_t heldBytes)
{
    if (status == 416)
        return ResumeReply::StartOver;
    if (status != 206)
        return ResumeReply::Whole;
    // "bytes FIRST-LAST/LENGTH", LENGTH possibly "*".
    constexpr std::string_view unit = "bytes ";
    if (!contentRange.starts_with(unit))
        return ResumeReply::StartOver;
    contentRange.remove_prefix(unit.size());
    const size_t dash = contentRange.find('-'), slash = contentRange.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash)
        return ResumeReply::StartOver;
    const auto first = Number(contentRange.substr(0, dash));
    const auto last = Number(contentRange.substr(dash + 1, slash - dash - 1));
    const std::string_view lengthText = contentRange.substr(slash + 1);
    const auto length = Number(lengthText);
    if (!first || !last || *first != heldBytes || *last < *first)
        return ResumeReply::StartOver;
    if (lengthText != "*" && (!length || *length != *last + 1))
        return ResumeReply::StartOver;
    return ResumeReply::Append;
}

std::string PartialRecordText(const PartialRecord& record)
{
    return "address=" + record.address + "\r\nsha256=" + record.sha256 + "\r\nvalidator=" + record.validator +
           "\r\nbytes=" + std::to_string(record.bytes) + "\r\n";
}

std::optional<PartialRecord> ParsePartialRecord(std::string_view text)
{
    PartialRecord record;
    bool seen[4] = {};
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "address") {
            record.address = value;
            seen[0] = true;
        } else if (key == "sha256") {
            record.sha256 = value;
            seen[1] = true;
        } else if (key == "validator") {
            record.validator = value;
            seen[2] = true;
        } else if (key == "bytes") {
            const auto bytes = Number(value);
            if (!bytes)
                return std::nullopt;
            record.bytes = *bytes;
            seen[3] = true;
        }
    }
    if (!(seen[0] && seen[1] && seen[2] && seen[3]) || !FitsInHeader(record.validator))
        return std::nullopt;
    return record;
}
