#include "RtfDocument.h"

#include <optional>

namespace {

// Where the body begins (the first paragraph reset of the outer group: what comes before
// are the tables its indexes refer to) and where its last paragraph mark is.
struct Layout {
    size_t bodyStart;
    size_t lastParagraph;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::optional<Layout> Scan(std::string_view rtf)
{
    if (rtf.rfind("{\\rtf", 0) != 0)
        return std::nullopt;
    std::optional<size_t> bodyStart, lastParagraph;
    int depth = 0;
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (--depth == 0)
                break;
            ++i;
        } else if (c == '\\' && i + 1 < rtf.size() && IsLetter(rtf[i + 1])) {
            size_t end = i + 1;
            while (end < rtf.size() && IsLetter(rtf[end]))
                ++end;
            const std::string_view word = rtf.substr(i + 1, end - i - 1);
            // Raw bytes follow \bin; nothing the box writes for text uses it.
            if (word == "bin")
                return std::nullopt;
            if (depth == 1 && word == "pard" && !bodyStart)
                bodyStart = i;
            if (depth == 1 && word == "par")
                lastParagraph = i;
            i = end;
        } else {
            // A control symbol (\{ \} \\ \' \*) takes its next character with it.
            i += c == '\\' ? 2 : 1;
        }
    }
    if (depth != 0 || !bodyStart || !lastParagraph || *lastParagraph < *bodyStart)
        return std::nullopt;
    return Layout{*bodyStart, *lastParagraph};
}

} // namespace

bool TRtfDocument::Assign(std::string rtf)
{
    rtf_ = std::move(rtf);
    const auto layout = Scan(rtf_);
    valid_ = layout.has_value();
    if (valid_) {
        bodyStart_ = layout->bodyStart;
        lastParagraph_ = layout->lastParagraph;
    }
    return valid_;
}

void TRtfDocument::Adopt(std::string rtf, size_t bodyStart, size_t lastParagraph)
{
    rtf_ = std::move(rtf);
    bodyStart_ = bodyStart;
    lastParagraph_ = lastParagraph;
    valid_ = true;
}

bool TRtfDocument::Append(std::string_view document)
{
    const auto layout = Scan(document);
    if (!valid_ || !layout ||
        std::string_view(rtf_).substr(0, bodyStart_) != document.substr(0, layout->bodyStart))
        return false;
    // The joined paragraphs start from plain character formatting, as the box's writer
    // assumes at the start of a document.
    static constexpr std::string_view kPlain = "\\plain ";
    rtf_.erase(lastParagraph_);
    rtf_ += kPlain;
    lastParagraph_ = rtf_.size() + (layout->lastParagraph - layout->bodyStart);
    rtf_ += document.substr(layout->bodyStart);
    return true;
}
