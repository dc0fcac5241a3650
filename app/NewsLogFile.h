#pragma once
#include <string>
#include <utility>
#include <vector>

#include "NewsArchive.h"
#include "NewsLog.h"

// news.rtf, the news log's file: read when first needed (the program's first idle moment at
// the latest), written after each entry and at the end.
// A file that is there but cannot be read whole is never written over: a damaged one is
// moved aside under a name that says so, and the log's first line names it; one that
// cannot be opened now (another program holds it) is tried again before each save, and
// nothing is written until it has been read. Once the log holds more than kMostEntries, news.rtf
// is written with it as it stands, its oldest entries go from there to the archive beside it
// (NewsArchive), and only then leave news.rtf, which is written again: a move cut short at any
// point is taken up at the next start with the same entries, which the archive may end with
// already (they are then only dropped).
class TNewsLogFile {
public:
    // Every write to news.rtf and the archives asks the seam first.
    TNewsLogFile(std::wstring path, TNewsLog& log, WriteSeam seam = {})
        : path_(std::move(path)), log_(log), seam_(std::move(seam))
    {
    }

    // The file is read when the log is first needed: start-up does not wait for it.
    void Load() { unopened_ = true; }
    // Reads the log, moving a damaged file aside, and bounds it.
    void Read() { ReadAndBound(); }
    // The entry into the log, and the log to the file.
    void AppendEntry(const std::string& title, const std::string& text);
    // The whole log, replacing the file at once; failures lose nothing of the log.
    void Save();

private:
    // True when news.rtf was written now, to bound the log.
    bool ReadAndBound();
    // The same, once the log is read.
    bool Bound();
    // True when the oldest entries went to the archive and left the log.
    bool MoveSurplus();
    bool Write();
    // True when the file's bytes are in the log (or it is gone) and it may be written once read.
    bool Open();
    bool MoveAside();
    void Unreadable();

    std::wstring path_;
    TNewsLog& log_;
    WriteSeam seam_;
    bool unopened_ = false;
    bool unread_ = false;
    // How many entries the log held when moving its oldest failed.
    size_t entriesAtFailedMove_ = 0;
    // Entries made while the file is unread, to follow its items once it is read.
    std::vector<std::pair<std::string, std::string>> entriesWhileUnread_;
};
