#pragma once
#include <optional>
#include <string>

#include "UpdateEntries.h"
#include "UpdateModes.h"

struct DownloadListOptions {
    TAutoUpdateUpdate Prompting = TAutoUpdateUpdate::auuPromptOnce;
    // An authenticated update takes a file only when its entry names the digest it must have.
    bool AuthenticationRequired = false;
    bool ExtractCAB = false;
    bool ApplyPatch = false;
    bool KeepIntermediateFiles = false;
    std::string AppComponents; // [application] appcomps: files left to the updater
    long long MaxTransferBytes = 0;
};

class DownloadListHost {
public:
    virtual ~DownloadListHost() = default;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual bool RunStopped() = 0;
    virtual bool Confirmed(const std::string& question) = 0;
    virtual std::string FileNameFromURL(const std::string& address) = 0;
    // The application may change the address of file fileNumber (from 1).
    virtual void BeforeDownload(int fileNumber, const std::string& description, std::string& address) = 0;
    virtual void MakeFolder(const std::string& folder) = 0;
    // The folder is the running program's, and this user cannot replace files there.
    virtual bool CannotReplaceIn(const std::string& folder) = 0;
    // False also for a file refused for its version; VersionRefused then tells so.
    virtual bool DownloadFile(const std::string& address, bool compressed, const std::string& targetDir,
                              const std::optional<std::string>& expectedSha256, long long sizeLimit) = 0;
    virtual bool VersionRefused() = 0;
    // A listed file could not be had: the application is not restarted for this update.
    virtual void FileFailed() = 0;
    // Refuses (958) a new program that would not be newer than the one it replaces.
    virtual bool ReplacementAllowed(const std::string& path) = 0;
    virtual void RestartNeeded() = 0;
    // -1 when the cabinet cannot be extracted.
    virtual int ExtractCabinet(const std::string& cabinet, const std::string& targetDir) = 0;
    virtual void RunAndWait(const std::string& commandLine) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
};

// Asks as Prompting says (once for all, or for each file), downloads each listed file
// and processes what arrived, until the run is stopped.
void DownloadListedFiles(TFileList& list, const DownloadListOptions& options, DownloadListHost& host);

// The most bytes an entry's transfer may bring.
long long TransferLimit(const TFileDescription& item, long long maxTransferBytes);

// Whether appcomps names the file as a whole file name.
bool IsComponentFile(const std::string& components, const std::string& localName);
