#include "NewsItemText.h"

#include <algorithm>

#include "Utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kCutMark = "…";

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
        const char32_t c = NextUtf8Character(text, at).value_or(kReplacement);
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
