#pragma once
#include <string>
#include <vector>

#include "NewsLog.h"

// news.rtf, the news log's file: read when first needed (the program's first idle moment at
// the latest), written after each poll's entries and at the end.
// A file that is there but cannot be read whole is never written over: a damaged one is
// moved aside under a name that says so, and the log's first line names it; one that
// cannot be opened now (another program holds it) is tried again before each save, and
// nothing is written until it has been read. Once the log holds more than kMostEntries, its
// oldest entries go to the archive beside it (NewsArchive) and only then leave news.rtf, which
// is written at once: a log over the bound whose oldest entries end the archive already
// drops them without adding them again.
class TNewsLogFile {
public:
    TNewsLogFile(std::wstring path, TNewsLog& log) : path_(std::move(path)), log_(log) {}

    // The file is read when the log is first needed: start-up does not wait for it.
    void Load() { unopened_ = true; }
    // Reads the log, moving a damaged file aside, and bounds it.
    void Read() { ReadAndBound(); }
    // The entries, oldest first, into the log, and the log to the file once for them all.
    void AppendEntries(const std::vector<LogEntry>& entries);
    // The whole log, replacing the file at once; failures lose nothing of the log.
    void Save();

private:
    // True when the log was bounded now, and so written.
    bool ReadAndBound();
    // True when the oldest entries went to the archive and left the log.
    bool MoveSurplus();
    void Write();
    // True when the file's bytes are in the log (or it is gone) and it may be written once read.
    bool Open();
    bool MoveAside();
    void Unreadable();

    std::wstring path_;
    TNewsLog& log_;
    bool unopened_ = false;
    bool unread_ = false;
    // How many entries the log held when moving its oldest failed.
    size_t entriesAtFailedMove_ = 0;
    // Entries made while the file is unread, to follow its items once it is read.
    std::vector<LogEntry> entriesWhileUnread_;
};
