#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "NewsArchiveRules.h"
#include "NewsItemText.h"
#include "RichEdit.h"
#include "RtfDocument.h"
#include "RtfText.h"

// The news log: its entry count and last entries, its rich text and the box that shows it.
// All but the box come from the file's own text, read when first needed; the box, which
// takes seconds to read a long log, is filled afterwards a piece at a time, oldest first,
// and stays hidden until it holds the whole log. Saving never reads a long log whole from
// the box. Only this class changes the boxes' text. Its oldest entries are taken out once
// there are more than kMostEntries (see LogSurplus).
struct LogSurplus {
    // Views of the log's rich text: its head (up to the body) and the oldest entries.
    std::string_view head;
    std::string_view entries;
    // The place the kept entries start at and the formatting in force there.
    RtfResumePoint keptFrom;
    // The oldest entries' characters in the box.
    size_t boxCharacters = 0;
};

class TNewsLog {
public:
    // The box the log is shown in, and a box in the same place that shows the newest
    // entries while the first one is being filled.
    TNewsLog(TRichEdit& box, TRichEdit& preview) : box_(box), preview_(preview) {}

    // Rich text, or plain text when it is not; read by Read or by the first use.
    void Load(std::string bytes);
    // Reads what was loaded. False when it is not a whole document: the log is then empty
    // (and this stays false until the next Load).
    bool Read();
    // The next piece of the log into the box; false once the box holds all of it.
    bool FillStep();
    bool Filled() const { return filled_; }
    // Before the log is first shown: while the box is still being filled, the preview
    // shows the newest entries under a line saying that older ones follow.
    void PrepareShow();

    // The whole log as the box writes it.
    const std::string& SaveToRtf();

    // The log's last entries (at most kLastEntries), oldest first: what the next items are
    // told apart from.
    std::vector<LogEntry> LastEntries();
    // Title, text and an empty line at the end; the caret goes to the line count − 1. Each
    // must be one line (see ItemLine).
    void AppendEntry(const std::string& title, const std::string& text);

    // The entries beyond the newest kKeptEntries, when there are more than kMostEntries and
    // the rich text can be cut where one ends.
    std::optional<LogSurplus> FindSurplus();
    // Only the kept entries stay, in the box too; nothing may change the log in between.
    void DropSurplus(const LogSurplus& surplus);
    size_t Entries() const { return entries_.Entries(); }

private:
    // Everything known of a log forgotten, the bytes to be read when needed.
    void Take(std::string bytes);
    // The file's lines in order, each once.
    void TakeLoadedLine(std::string_view line);
    void LoadRtf(std::string bytes);
    // The rich text of a log whose box is not filled, where it can be made without the box:
    // an empty log's, or plain text's.
    void RtfWithoutBox();
    // Plain text made the box's rich text a few lines at a time, each in a box of its own;
    // left as it is when that fails.
    void TakeTextAsRtf();
    // The rich text of an entry made while the box is not filled, joined to the log's also
    // when it was written for other tables: the box, once filled, shows it as saved.
    bool JoinHidden(const std::string& entryRtf);
    void FillAll();
    void Finish();
    size_t EndOfLastPiece() const;
    std::string Piece(size_t first, size_t end) const;
    // The log now ends with that entry.
    void IndexEntry(const std::string& title, const std::string& text);
    void KeepLastEntry(std::string_view title, std::string_view text);

    TRichEdit& box_;
    TRichEdit& preview_;
    // The last entries, and while the file is read its last lines (line n at n % 4), from
    // which a title the finder names (three lines back) and its text are taken.
    static constexpr size_t kLastEntries = 100;
    std::deque<LogEntry> lastEntries_;
    std::array<std::string, 4> lastLines_;
    uint64_t linesTaken_ = 0;
    LogTitleFinder titleFinder_;
    LogEntryCounter entries_;
    TRtfDocument rtf_;
    bool endsWithLineBreak_ = true;

    // What is still to go into the box: pieces of the rich text from these places on,
    // each read after the document's head; or, when the rich text could not be kept,
    // the file as it was read.
    bool read_ = true;
    bool damaged_ = false;
    std::string unread_;
    bool filled_ = true;
    std::string head_;
    std::vector<RtfResumePoint> pieces_;
    size_t nextPiece_ = 0;
    std::string unkept_;
};
