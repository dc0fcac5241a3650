#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Bytes of 8-bit text in a Windows code page, as UTF-8.
using CodePageDecoder = std::function<std::string(unsigned codePage, std::string_view bytes)>;

// A place in a rich-text document's body right after a paragraph mark of its outer group,
// with the formatting words in force there: the document's head, those words and the rest
// of the body from there on read as the rest of the document.
struct RtfResumePoint {
    size_t offset;
    std::string formatting;
    // How many paragraphs were handed on before it.
    size_t paragraphs = 0;
};

struct RtfTextLayout {
    // Where the body begins: the outer group's first paragraph reset; 0 when it has none.
    size_t bodyStart = 0;
    // Where the outer group's last paragraph mark is; 0 when it has none.
    size_t lastOuterParagraph = 0;
    // The text after the last paragraph mark (the whole text when there is none).
    std::string lastParagraph;
    bool hasParagraphMarks = false;
    // One after every so many paragraphs of the outer group (none when that is 0), and one
    // after each paragraph the caller asked for that ends with a mark of the outer group.
    std::vector<RtfResumePoint> resumePoints;
};

// Reads a rich-text document's text as the rich-text box shows it, without a box: every
// paragraph ended by a mark goes to onParagraph, in order, which answers true to have a
// resume point right after it. Nothing when the document is not
// whole (a group left open, a closing brace too many, data cut off) or holds what the box
// is not given: groups nested deeper than 16, raw bytes, objects or pictures.
std::optional<RtfTextLayout> ReadRtfText(std::string_view rtf, const CodePageDecoder& decode,
                                         const std::function<bool(std::string_view paragraph)>& onParagraph,
                                         size_t paragraphsPerResumePoint);
