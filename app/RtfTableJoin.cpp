#include "RtfTableJoin.h"

#include <algorithm>

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A control word with its number, as it stands at `at` (a backslash followed by a letter).
struct Word {
    std::string_view name;
    std::optional<long> number;
    size_t end; // after the number, before a blank that ends the word
};

Word ReadWord(std::string_view rtf, size_t at)
{
    size_t end = at + 1;
    while (end < rtf.size() && IsLetter(rtf[end]))
        ++end;
    Word word{rtf.substr(at + 1, end - at - 1), std::nullopt, end};
    const bool negative = end < rtf.size() && rtf[end] == '-';
    size_t digits = end + (negative ? 1 : 0);
    long number = 0;
    const size_t first = digits;
    while (digits < rtf.size() && IsDigit(rtf[digits]) && digits - first < 9)
        number = number * 10 + (rtf[digits++] - '0');
    if (digits > first) {
        word.number = negative ? -number : number;
        word.end = digits;
    }
    return word;
}

// Words of a body that name a font or a colour by its number, and those that name a table
// this does not join.
bool NamesFont(std::string_view word) { return word == "f" || word == "af" || word == "pnf"; }
bool NamesColour(std::string_view word)
{
    static constexpr std::string_view kWords[] = {"cf",  "cb",    "highlight", "chcbpat", "chcfpat",
                                                  "cbpat", "cfpat", "ulc",       "brdrcf",  "pncf"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}
bool NamesOtherTable(std::string_view word)
{
    return word == "s" || word == "cs" || word == "ds" || word == "ts" || word == "ls" || word == "revauth" ||
           word == "crauth";
}

// The closing brace of the group that opens at `open`; npos when it is not closed.
size_t GroupEnd(std::string_view rtf, size_t open)
{
    int depth = 0;
    for (size_t at = open; at < rtf.size(); ++at) {
        if (rtf[at] == '\\')
            ++at;
        else if (rtf[at] == '{')
            ++depth;
        else if (rtf[at] == '}' && --depth == 0)
            return at;
    }
    return std::string_view::npos;
}

std::string Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \r\n\t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \r\n\t") - first + 1));
}

} // namespace

std::optional<RtfTableJoin::Tables> RtfTableJoin::Read(std::string_view head)
{
    Tables tables;
    int depth = 0;
    for (size_t at = 0; at < head.size();) {
        const char c = head[at];
        if (c == '{' && depth == 1) {
            const size_t end = GroupEnd(head, at);
            if (end == std::string_view::npos)
                return std::nullopt;
            const std::string_view group = head.substr(at, end - at);
            if (group.starts_with("{\\fonttbl")) {
                tables.fontTableEnd = end;
                // Each font: "{\fN ... name;}", or without a group of its own up to its ";".
                size_t entry = std::string_view::npos;
                int entryLevel = 0;
                Font font{};
                int level = 0;
                for (size_t i = 9; i < group.size(); ++i) {
                    const char g = group[i];
                    if (g == '\\' && i + 1 < group.size() && IsLetter(group[i + 1])) {
                        const Word word = ReadWord(group, i);
                        if (word.name == "f" && word.number && level <= 1) {
                            entry = i;
                            entryLevel = level;
                            font = {*word.number, {}, -1, {}};
                        } else if (word.name == "fcharset" && word.number) {
                            font.charset = *word.number;
                        }
                        i = word.end - 1;
                    } else if (g == '\\') {
                        ++i;
                    } else if (g == '{') {
                        ++level;
                    } else if (g == '}') {
                        --level;
                    } else if (g == ';' && entry != std::string_view::npos) {
                        // Only an entry whose groups close before its end can be copied.
                        if (level == entryLevel) {
                            font.entry = std::string(group.substr(entry, i + 1 - entry));
                            tables.fonts.push_back(font);
                        }
                        entry = std::string_view::npos;
                    } else if (entry != std::string_view::npos && level == entryLevel && g != '\r' && g != '\n') {
                        // Name text at the font's own level (not inside {\*\panose} and such).
                        font.name += g;
                    }
                }
                for (Font& each : tables.fonts)
                    each.name = Trimmed(each.name);
            } else if (group.starts_with("{\\colortbl")) {
                tables.colourTableEnd = end;
                std::string value;
                for (size_t i = 10; i < group.size(); ++i) {
                    if (group[i] == ';') {
                        tables.colours.push_back({Trimmed(value)});
                        value.clear();
                    } else if (group[i] != '\r' && group[i] != '\n') {
                        value += group[i];
                    }
                }
            }
            at = end + 1;
        } else if (c == '{') {
            ++depth;
            ++at;
        } else if (c == '}') {
            --depth;
            ++at;
        } else if (c == '\\' && at + 1 < head.size() && IsLetter(head[at + 1])) {
            const Word word = ReadWord(head, at);
            if (depth == 1 && word.number) {
                if (word.name == "deff")
                    tables.defaultFont = *word.number;
                else if (word.name == "uc")
                    tables.unicodeSkip = *word.number;
                else if (word.name == "ansicpg")
                    tables.codePage = *word.number;
            }
            at = word.end;
        } else {
            at += c == '\\' ? 2 : 1;
        }
    }
    return tables;
}

std::optional<RtfTableJoin> RtfTableJoin::Between(std::string_view head, std::string_view otherHead)
{
    auto tables = Read(head);
    auto other = Read(otherHead);
    if (!tables || !other || tables->fontTableEnd == std::string_view::npos)
        return std::nullopt;
    RtfTableJoin join;
    join.head_ = std::string(head);
    join.tables_ = std::move(*tables);
    join.other_ = std::move(*other);
    return join;
}

void RtfTableJoin::InsertIntoHead(size_t at, const std::string& text)
{
    head_.insert(at, text);
    for (size_t* end : {&tables_.fontTableEnd, &tables_.colourTableEnd})
        if (*end != std::string_view::npos && *end >= at)
            *end += text.size();
}

std::optional<long> RtfTableJoin::FontFor(long otherNumber)
{
    const auto font = std::find_if(other_.fonts.begin(), other_.fonts.end(),
                                   [&](const Font& f) { return f.number == otherNumber; });
    if (font == other_.fonts.end())
        return std::nullopt;
    // Bytes in a font without a character set of its own are read in the document's code
    // page: only the same page reads them here as there.
    if (font->charset <= 0 && other_.codePage != tables_.codePage)
        return std::nullopt;
    const auto same = std::find_if(tables_.fonts.begin(), tables_.fonts.end(), [&](const Font& f) {
        return f.name == font->name && f.charset == font->charset;
    });
    if (same != tables_.fonts.end())
        return same->number;
    long number = 0;
    for (const Font& f : tables_.fonts)
        number = std::max(number, f.number + 1);
    // The entry as the other head has it, under its new number.
    const std::string entry = "\\f" + std::to_string(number) + font->entry.substr(ReadWord(font->entry, 0).end);
    InsertIntoHead(tables_.fontTableEnd, "{" + entry + "}");
    tables_.fonts.push_back({number, font->name, font->charset, entry});
    return number;
}

std::optional<long> RtfTableJoin::ColourFor(long otherNumber)
{
    if (otherNumber < 0 || size_t(otherNumber) >= other_.colours.size())
        return std::nullopt;
    const std::string& value = other_.colours[size_t(otherNumber)].value;
    // Copied as they stand, the words must not open or close a group.
    if (value.find_first_of("{}") != std::string::npos)
        return std::nullopt;
    const auto same = std::find_if(tables_.colours.begin(), tables_.colours.end(),
                                   [&](const Colour& c) { return c.value == value; });
    if (same != tables_.colours.end())
        return long(same - tables_.colours.begin());
    if (tables_.colourTableEnd == std::string_view::npos) {
        // A table of its own after the fonts, its first colour the automatic one, as writers put it.
        const std::string table = "{\\colortbl;}";
        const size_t at = tables_.fontTableEnd + 1;
        InsertIntoHead(at, table);
        tables_.colourTableEnd = at + table.size() - 1;
        tables_.colours.push_back({""});
        if (value.empty())
            return 0;
    }
    InsertIntoHead(tables_.colourTableEnd, value + ";");
    tables_.colours.push_back({value});
    return long(tables_.colours.size() - 1);
}

std::string RtfTableJoin::DefaultFontWord()
{
    const auto font = FontFor(other_.defaultFont);
    return font && *font != tables_.defaultFont ? "\\f" + std::to_string(*font) : "";
}

std::string RtfTableJoin::Opening() { return "\\plain\\uc" + std::to_string(other_.unicodeSkip) + DefaultFontWord() + " "; }

std::optional<std::string> RtfTableJoin::Body(std::string_view otherBody)
{
    std::string body;
    body.reserve(otherBody.size() + 16);
    for (size_t at = 0; at < otherBody.size();) {
        if (otherBody[at] != '\\' || at + 1 == otherBody.size()) {
            body += otherBody[at++];
            continue;
        }
        if (!IsLetter(otherBody[at + 1])) {
            body.append(otherBody.substr(at, 2));
            at += 2;
            continue;
        }
        const Word word = ReadWord(otherBody, at);
        if (NamesOtherTable(word.name) || word.name == "bin")
            return std::nullopt;
        std::optional<long> number = word.number;
        if (word.number && NamesFont(word.name))
            number = FontFor(*word.number);
        else if (word.number && NamesColour(word.name))
            number = ColourFor(*word.number);
        if (word.number && !number)
            return std::nullopt;
        body.append("\\").append(word.name);
        if (number)
            body += std::to_string(*number);
        if (word.name == "plain")
            body += DefaultFontWord();
        at = word.end;
    }
    return body;
}
