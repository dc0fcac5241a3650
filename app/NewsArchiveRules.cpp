#include "NewsArchiveRules.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::string_view kBlanks(" \t\r\n\0", 5);

bool Escaped(std::string_view text, size_t at)
{
    size_t backslashes = 0;
    while (at > backslashes && text[at - backslashes - 1] == '\\')
        ++backslashes;
    return backslashes % 2 == 1;
}

// The group that starts with the control word: empty when there is none, nothing when it is
// not closed.
std::optional<std::string_view> Group(std::string_view rtf, std::string_view word)
{
    const size_t start = rtf.find("{\\" + std::string(word));
    if (start == std::string_view::npos)
        return std::string_view();
    int depth = 0;
    for (size_t at = start; at < rtf.size(); ++at) {
        if (rtf[at] == '\\')
            ++at;
        else if (rtf[at] == '{')
            ++depth;
        else if (rtf[at] == '}' && --depth == 0)
            return rtf.substr(start, at - start + 1);
    }
    return std::nullopt;
}

} // namespace

bool LogEntryCounter::Take(bool emptyLine)
{
    const bool ends = emptyLine && open_;
    entries_ += ends;
    open_ = !emptyLine;
    return ends;
}

size_t ArchiveTailSize(std::string_view entries) { return kBatchStart.size() + entries.size() + 1 + 64; }

ArchiveEnd FindArchiveEnd(std::string_view tail, std::string_view entries)
{
    const size_t batch = kBatchStart.size() + entries.size() + 1;
    // Whether the text is the batch's start (the whole batch at most).
    auto batchStarts = [&](std::string_view text) {
        if (text.size() > batch)
            return false;
        const size_t start = std::min(text.size(), kBatchStart.size());
        const size_t body = std::min(text.size() - start, entries.size());
        return text.substr(0, start) == kBatchStart.substr(0, start) && text.substr(start, body) == entries.substr(0, body) &&
               (text.size() < batch || text.back() == '}');
    };
    const size_t last = tail.find_last_not_of(kBlanks);
    if (last == std::string_view::npos)
        return {};
    const size_t end = last + 1;
    if (end > batch && batchStarts(tail.substr(end - batch, batch))) {
        const char before = tail[end - batch - 1];
        if (before == kBlankedBrace[0])
            return {ArchiveEnd::Holds};
        if (before == '}')
            return {ArchiveEnd::Holds, end - batch - 1};
    }
    // A batch cut short, or one of fewer entries that was never taken for written, after the
    // brace that still ends the document.
    for (size_t at = tail.find("}\\plain "); at != std::string_view::npos; at = tail.find("}\\plain ", at + 1)) {
        const std::string_view after = tail.substr(at + 1);
        if (after.size() < batch && (batchStarts(after) || (after.back() == '}' && batchStarts(after.substr(0, after.size() - 1)))))
            return {ArchiveEnd::AppendAt, at};
    }
    if (tail[last] == '}' && !Escaped(tail, last))
        return {ArchiveEnd::AppendAt, last};
    return {};
}

std::string InViewerColours(std::string_view rtf)
{
    static constexpr std::string_view kColourWords[] = {"cf", "cb", "chcbpat", "highlight"};
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string kept;
    kept.reserve(rtf.size());
    for (size_t at = 0; at < rtf.size();) {
        if (rtf[at] != '\\' || at + 1 == rtf.size()) {
            kept += rtf[at++];
            continue;
        }
        if (!isLetter(rtf[at + 1])) {
            // A control symbol, with the character it stands for.
            kept.append(rtf.substr(at, 2));
            at += 2;
            continue;
        }
        size_t end = at + 1;
        while (end < rtf.size() && isLetter(rtf[end]))
            ++end;
        const std::string_view word = rtf.substr(at + 1, end - at - 1);
        if (end < rtf.size() && rtf[end] == '-')
            ++end;
        while (end < rtf.size() && isDigit(rtf[end]))
            ++end;
        if (std::find(std::begin(kColourWords), std::end(kColourWords), word) != std::end(kColourWords))
            kept.append("\\").append(word).append("0");
        else
            kept.append(rtf.substr(at, end - at));
        at = end;
    }
    return kept;
}

bool SameRtfTables(std::string_view start, std::string_view otherStart)
{
    for (std::string_view table : {"fonttbl", "colortbl"}) {
        const auto group = Group(start, table);
        if (!group || group != Group(otherStart, table))
            return false;
    }
    return true;
}

size_t Utf16Length(std::string_view utf8)
{
    size_t units = 0;
    for (unsigned char byte : utf8)
        units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
    return units;
}
