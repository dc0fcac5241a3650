#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ControlDate.h"
#include "StringList.h"
#include "UpdateEntries.h"

class FileListHost {
public:
    virtual ~FileListHost() = default;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    virtual TDateTime ControlDateTime(const std::string& date, const std::string& time) = 0;
    // The local file's last-write time; none when it is missing.
    virtual std::optional<TDateTime> LocalFileTime(const std::string& path) = 0;
    virtual bool IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size) = 0;
    // The application's verdict on a custom version; none without a handler.
    virtual std::optional<bool> CustomVersionIsNew(const std::string& customVersion, const std::string& localFile) = 0;
    // The application may empty the descriptions of files it does not want; false when it
    // has no say.
    virtual bool ChooseFiles(TStringList& descriptions) = 0;
};

// The [fileN] section, prefixes expanded; a target folder ends in a separator.
TFileDescription ReadFileEntry(std::string_view controlText, int number, FileListHost& host);

// The entries [files] count names; the count (the list stays empty below 1).
int LoadFileList(std::string_view controlText, TFileList& list, FileListHost& host);

// Keeps the entries newer than their local files (by date when both are named, else by
// version, size or checksum) and those the application keeps; -1 when none is left.
int FilterFileList(TFileList& list, FileListHost& host);
