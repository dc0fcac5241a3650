#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An item's title and text as the popup shows them, the log keeps them and the duplicate
// check compares them: one line of valid UTF-8, at most this many characters.
#ifdef SORIEL_FUZZ_ITEM_TEXT_LIMIT
// A fuzz build with a lower limit, which its short inputs reach at every length.
inline constexpr size_t ItemTextLimit = SORIEL_FUZZ_ITEM_TEXT_LIMIT;
#else
inline constexpr size_t ItemTextLimit = 1000;
#endif

// The bytes of a page's item text that can give more than ItemTextLimit characters: a
// character percent-encoded takes at most 12 bytes. A longer text is cut anyway, so the
// page's bytes past this never need to be kept.
inline constexpr size_t RawItemTextLimit = 12 * (ItemTextLimit + 1);

// Bytes that are not UTF-8 become U+FFFD (one per maximal ill-formed part); line breaks,
// tabs and other control characters, and the bidirectional override and isolate
// characters, become a blank; past ItemTextLimit characters the text is cut to end in "…".
std::string ItemLine(std::string_view text);

// An entry of the news log: an item's title ("date HH:MM") and its text, one line each.
struct LogEntry {
    std::string title;
    std::string text;

    bool operator==(const LogEntry&) const = default;
};

// Picks the titles out of a news log's lines, taken in order. An entry is its title, its
// text and an empty line, so a title is a line whose line after the next is empty; a text
// line is followed by the next entry's title instead, and passes for none. Only the last
// entry's text, followed by the box's own closing empty line, looks like a title with an
// empty text: at the end, two empty lines after a line make it a text. Of a text that an
// older version let break over lines, only the first line passes for a title (the entry's
// own title then does not), never the last, where a later item's title could stand.
class LogTitleFinder {
public:
    // Takes the next line, known by a key of the caller's; answers the key of the line
    // three before it when that one is a title.
    std::optional<uint64_t> Take(uint64_t key, bool empty);
    // After the last line: the key of the line two before the end when that one is a title.
    std::optional<uint64_t> Finish() const;

private:
    struct Line {
        uint64_t key = 0;
        bool empty = true;
    };
    // The last three lines taken, oldest first; empty ones before the first line.
    Line last_[3];
};
