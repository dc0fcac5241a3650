#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The news log's bound: news.rtf keeps the newest entries, and once it holds too many, the
// oldest move in one batch to the end of an archive beside it, a rich-text document with the
// log's own head. What needs no file is here.

inline constexpr size_t kKeptEntries = 2000;
inline constexpr size_t kMostEntries = 2200;

// Counts a log's entries from its lines, taken in order. An entry is one or more lines with
// text and the empty line after them: a title with its text, a text an older version broke
// over several lines, a notice with the entry that follows it.
class LogEntryCounter {
public:
    // True when the line ends an entry.
    bool Take(bool emptyLine);
    size_t Entries() const { return entries_; }

private:
    bool open_ = false;
    size_t entries_ = 0;
};

// What a batch starts with in the archive: the entries' rich text follows, then the closing
// brace. The batch starts from plain character formatting, whatever the one before ended with.
inline constexpr std::string_view kBatchStart = "\\plain ";
// What the closing brace before a batch becomes: a line break, which rich text does not show
// (a blank after a group would be text).
inline constexpr std::string_view kBlankedBrace = "\n";

struct ArchiveEnd {
    enum Kind {
        // The archive ends with the batch already (news.rtf was not written after it).
        Holds,
        // The batch goes after the closing brace at `brace`.
        AppendAt,
        // Not an end this program wrote: the archive is left as it is.
        Unusable,
    };
    Kind kind = Unusable;
    // Holds: a closing brace before the batch that still ends the document, to be blanked
    // (npos when there is none); AppendAt: the closing brace the batch follows.
    size_t brace = std::string_view::npos;
};

// How many bytes of the archive's end FindArchiveEnd needs for a batch of these entries.
size_t ArchiveTailSize(std::string_view entries);
// Where the batch of these entries goes in an archive that ends with `tail`. A batch is
// written after the closing brace, which is blanked only then: a batch cut short, or one
// whose brace was not blanked yet, leaves the archive reading as it did, and is written
// again from that brace.
ArchiveEnd FindArchiveEnd(std::string_view tail, std::string_view entries);

// The entries' rich text as the archive keeps it: the words that choose text and background
// colours choose the viewer's own (colour 0), as the log's box shows white on black and a
// viewer shows its paper. Only the numbers change: no word runs into the text after it.
std::string InViewerColours(std::string_view rtf);

// Whether the two documents' starts hold the same font and colour tables.
bool SameRtfTables(std::string_view start, std::string_view otherStart);

// The length of UTF-8 text in UTF-16 units, as the rich-text box counts characters.
size_t Utf16Length(std::string_view utf8);
