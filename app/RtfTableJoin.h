#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The body of one rich-text document put in terms of another document's head, when the two
// heads differ (another writer, another version or language of the same writer): the body's
// fonts and colours are found in the head's tables by what they are (a font by its name and
// character set, a colour by its value) and added at the tables' ends when missing, and the
// body's numbers for them are rewritten. Nothing else of the other head counts for a body
// the rich-text box writes: the default font (after \plain), the Unicode stand-in count,
// and the code page of a font without a character set of its own.
class RtfTableJoin {
public:
    // Nothing when either head's tables cannot be read, or this head has no font table.
    static std::optional<RtfTableJoin> Between(std::string_view head, std::string_view otherHead);

    // This head, with what its tables lacked added.
    const std::string& Head() const { return head_; }
    // What puts the other document's defaults in force at the start of its body (a reset of
    // character formatting, its default font and its stand-in count).
    std::string Opening();
    // A stretch of the other body, cut between control words, in this head's terms; nothing
    // when it names a font or colour its head does not have, or a style or list (whose
    // tables are not joined).
    std::optional<std::string> Body(std::string_view otherBody);

private:
    struct Font {
        long number;
        std::string name;
        long charset; // -1: none of its own
        std::string entry;
    };
    struct Colour {
        std::string value; // the words of its entry, "" for the automatic colour
    };
    struct Tables {
        std::vector<Font> fonts;
        std::vector<Colour> colours;
        size_t fontTableEnd = std::string_view::npos;   // its closing brace
        size_t colourTableEnd = std::string_view::npos; // its closing brace
        long defaultFont = 0;
        long unicodeSkip = 1;
        long codePage = 1252;
    };
    static std::optional<Tables> Read(std::string_view head);

    std::optional<long> FontFor(long otherNumber);
    std::optional<long> ColourFor(long otherNumber);
    // The word that chooses the other document's default font here, when this one's differs.
    std::string DefaultFontWord();
    // Text into the head, the tables' ends after it moved on.
    void InsertIntoHead(size_t at, const std::string& text);

    std::string head_;
    Tables tables_;
    Tables other_;
};
