#include "RtfDocument.h"

#include <algorithm>
#include <optional>

#include "RtfTableJoin.h"

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

// Groups before the body that show nothing: tables and the document's information.
bool IsTableGroup(std::string_view rtf, size_t open)
{
    static constexpr std::string_view kTables[] = {"fonttbl", "colortbl", "stylesheet", "info", "filetbl",
                                                   "revtbl",  "rsidtbl",  "listtable",  "listoverridetable"};
    const std::string_view group = rtf.substr(open + 1);
    if (group.starts_with("\\*"))
        return true;
    size_t end = 1;
    while (end < group.size() && IsLetter(group[end]))
        ++end;
    return group.starts_with("\\") &&
           std::find(std::begin(kTables), std::end(kTables), group.substr(1, end - 1)) != std::end(kTables);
}

// Words of the document's start, before its tables and body.
bool IsDocumentWord(std::string_view word)
{
    static constexpr std::string_view kWords[] = {"rtf",  "ansi",    "mac",       "pc",       "pca",     "ansicpg",
                                                   "deff", "adeff",   "deflang",   "deflangfe", "adeflang", "uc"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// Words that stand for text or a paragraph's end.
bool ShowsSomething(std::string_view word)
{
    static constexpr std::string_view kWords[] = {
        "par",    "sect",    "page",    "line",    "tab",    "u",      "emdash", "endash", "emspace",
        "enspace", "qmspace", "bullet", "lquote", "rquote", "ldblquote", "rdblquote", "cell", "row"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

} // namespace

std::optional<size_t> MissingParagraphReset(std::string_view rtf)
{
    if (rtf.rfind("{\\rtf", 0) != 0)
        return std::nullopt;
    // The reset goes before the formatting the body starts with: paragraph formats set before
    // the first text must stay in force.
    std::optional<size_t> bodyStart;
    const auto shown = [&](size_t at) { return bodyStart.value_or(at); };
    int depth = 0;
    for (size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{' && depth == 1 && !IsTableGroup(rtf, i))
            return shown(i);
        if (c == '{' && depth == 1) {
            // Passed over whole: what a table holds is no text of the document.
            int inner = 0;
            for (; i < rtf.size(); ++i) {
                if (rtf[i] == '\\')
                    ++i;
                else if (rtf[i] == '{')
                    ++inner;
                else if (rtf[i] == '}' && --inner == 0)
                    break;
            }
            ++i;
        } else if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            return std::nullopt;
        } else if (c == '\\' && i + 1 < rtf.size() && IsLetter(rtf[i + 1])) {
            size_t end = i + 1;
            while (end < rtf.size() && IsLetter(rtf[end]))
                ++end;
            const std::string_view word = rtf.substr(i + 1, end - i - 1);
            if (word == "pard" || word == "bin")
                return std::nullopt;
            if (ShowsSomething(word))
                return shown(i);
            if (!bodyStart && !IsDocumentWord(word))
                bodyStart = i;
            // Its number, and the blank that ends it.
            if (end < rtf.size() && rtf[end] == '-')
                ++end;
            while (end < rtf.size() && rtf[end] >= '0' && rtf[end] <= '9')
                ++end;
            i = end < rtf.size() && rtf[end] == ' ' ? end + 1 : end;
        } else if (c == '\\') {
            // A control symbol stands for a character, but for the mark of an optional group.
            if (i + 1 < rtf.size() && rtf[i + 1] != '*')
                return shown(i);
            i += 2;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else {
            return shown(i);
        }
    }
    return std::nullopt;
}

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

bool TRtfDocument::Append(std::string_view document) { return Join(document, false); }

bool TRtfDocument::AppendJoiningTables(std::string_view document) { return Join(document, true); }

bool TRtfDocument::Join(std::string_view document, bool otherTables)
{
    const auto layout = Scan(document);
    if (!valid_ || !layout)
        return false;
    const std::string_view head = std::string_view(rtf_).substr(0, bodyStart_);
    const std::string_view otherHead = document.substr(0, layout->bodyStart);
    const std::string_view paragraphs = document.substr(layout->bodyStart, layout->lastParagraph - layout->bodyStart);
    const std::string_view end = document.substr(layout->lastParagraph);
    if (head == otherHead) {
        // The joined paragraphs start from plain character formatting, as the box's writer
        // assumes at the start of a document.
        static constexpr std::string_view kPlain = "\\plain ";
        rtf_.erase(lastParagraph_);
        rtf_.append(kPlain).append(paragraphs);
        lastParagraph_ = rtf_.size();
        rtf_ += end;
        return true;
    }
    auto join = otherTables ? RtfTableJoin::Between(head, otherHead) : std::nullopt;
    if (!join)
        return false;
    const std::string opening = join->Opening();
    const auto joined = join->Body(paragraphs);
    const auto joinedEnd = join->Body(end);
    if (!joined || !joinedEnd)
        return false;
    if (join->Head() == head) {
        rtf_.erase(lastParagraph_);
    } else {
        // Made at its size at once: a long log leaves no smaller copies of itself in the heap.
        std::string grown;
        grown.reserve(join->Head().size() + lastParagraph_ - bodyStart_ + opening.size() + joined->size() +
                      joinedEnd->size());
        grown.append(join->Head()).append(std::string_view(rtf_).substr(bodyStart_, lastParagraph_ - bodyStart_));
        rtf_ = std::move(grown);
        bodyStart_ = join->Head().size();
    }
    rtf_.append(opening).append(*joined);
    lastParagraph_ = rtf_.size();
    rtf_ += *joinedEnd;
    return true;
}
