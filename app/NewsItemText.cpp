#include "NewsItemText.h"

#include <algorithm>

#include "Utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kCutMark = "…";

// The byte ranges a UTF-8 sequence's second byte may take after its lead byte: no overlong
// forms, no surrogates, nothing above U+10FFFF. Length 0 for a byte that leads nothing.
struct Lead {
    int length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Lead LeadOf(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, 0x80, 0xBF};
    if (byte == 0xE0)
        return {3, 0xA0, 0xBF};
    if (byte == 0xED)
        return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {3, 0x80, 0xBF};
    if (byte == 0xF0)
        return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {4, 0x80, 0xBF};
    if (byte == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// The character at `at`, moving past it; an ill-formed part counts as one U+FFFD.
char32_t NextCharacter(std::string_view text, size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const Lead rule = LeadOf(lead);
    if (rule.length == 0)
        return kReplacement;
    char32_t c = lead & (0xFF >> (rule.length + 1));
    for (int k = 1; k < rule.length; ++k) {
        if (at >= text.size())
            return kReplacement;
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < (k == 1 ? rule.secondLow : 0x80) || byte > (k == 1 ? rule.secondHigh : 0xBF))
            return kReplacement;
        c = c << 6 | (byte & 0x3F);
        ++at;
    }
    return c;
}

// Characters that would break the line, or turn the text around, in the popup or the log.
bool BecomesBlank(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::string ItemLine(std::string_view text)
{
    std::string line;
    line.reserve(std::min(text.size(), 4 * ItemTextLimit));
    // Where the text ends when the cut mark is put after its first ItemTextLimit − 1 characters.
    size_t beforeLast = 0;
    size_t characters = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (characters == ItemTextLimit) {
            line.resize(beforeLast);
            line += kCutMark;
            return line;
        }
        if (characters == ItemTextLimit - 1)
            beforeLast = line.size();
        const char32_t c = NextCharacter(text, at);
        AppendUtf8(line, BecomesBlank(c) ? U' ' : c);
        ++characters;
    }
    return line;
}

std::optional<uint64_t> LogTitleFinder::Take(uint64_t key, bool empty)
{
    std::optional<uint64_t> title;
    if (!last_[0].empty && last_[2].empty)
        title = last_[0].key;
    last_[0] = last_[1];
    last_[1] = last_[2];
    last_[2] = {key, empty};
    return title;
}

std::optional<uint64_t> LogTitleFinder::Finish() const
{
    if (!last_[0].empty && !last_[1].empty && last_[2].empty)
        return last_[0].key;
    return std::nullopt;
}
