#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Where a document's outer group first shows something (text, a paragraph, a group that is
// not a table) when that comes before its first paragraph reset or it has none: a reset put
// there changes nothing it shows and starts its body there, as the box's writer starts it.
// Nothing when the document needs none (or cannot be read).
std::optional<size_t> MissingParagraphReset(std::string_view rtf);

// A rich-text document as the rich-text box writes it, kept whole while text is added at
// its end: the added text, written by the box as a document of its own, is joined to it.
// Writing the whole box anew takes time in proportion to its length; joining does not.
class TRtfDocument {
public:
    // False when the text is not a document this can join to (it is then forgotten).
    bool Assign(std::string rtf);
    // A document whose layout was read elsewhere: where its body starts and where its
    // outer group's last paragraph mark is.
    void Adopt(std::string rtf, size_t bodyStart, size_t lastParagraph);
    // Not valid until assigned again; its memory is given back.
    void Forget()
    {
        std::string().swap(rtf_);
        valid_ = false;
    }
    bool Valid() const { return valid_; }
    const std::string& Text() const { return rtf_; }
    // Where the body begins (the tables are before it) and where the outer group's last
    // paragraph mark is.
    size_t BodyStart() const { return bodyStart_; }
    size_t LastParagraph() const { return lastParagraph_; }

    // Joins a document whose text follows this one's last line break: its paragraphs take
    // the place of this document's closing empty paragraph. False, and nothing changed,
    // when the two differ in their font and colour tables or either cannot be read.
    bool Append(std::string_view document);
    // The same for a document written for other tables: its fonts and colours become those
    // of this document's tables, which get any they lack at their ends, moving the body
    // (see RtfTableJoin). False, and nothing changed, when it cannot be joined so.
    bool AppendJoiningTables(std::string_view document);

private:
    bool Join(std::string_view document, bool otherTables);

    std::string rtf_;
    size_t bodyStart_ = 0;
    size_t lastParagraph_ = 0;
    bool valid_ = false;
};
