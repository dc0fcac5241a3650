#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "PrefixExpansion.h"
#include "TransferBudget.h"
#include "TransferGuard.h"
#include "UpdateEdge.h"
#include "UpdateModes.h"

// What one file's transfer needs of the run.
struct FileTransferInput {
    std::string Address;
    bool Compressed = false; // an LZ file, expanded once it has arrived
    // Normally ends in a path separator; in a folder copy, a last part that is a name names
    // the target file itself.
    std::string TargetDir;
    // Lower-case hex the transferred bytes must match, when given.
    std::optional<std::string> ExpectedSha256;
    long long SizeLimit = 0;
    TransferBudget::Kind Kind = TransferBudget::Kind::Download;
    TAutoUpdateType Carrier = TAutoUpdateType::httpUpdate;
    // The run's session (HTTP) or FTP connection.
    HINTERNET Connection = nullptr;
    std::string ProxyUser;
    std::string ProxyPassword;
    bool KeepConnection = false;
    unsigned RequestTimeoutMs = 0;
    // The FTP folder as the settings write it, entered once a run before the first file.
    std::string FtpFolder;
    bool& FtpFolderEntered;
    // Where the bytes wait until they are complete and verified.
    std::string TransferFolder;
    // Where a web download with a digest keeps what it received when it is cut short, for the
    // next attempt (at a later start, too) to go on from; empty: nothing is kept.
    std::string PartialFolder;
    // The run's end is told once a run: set once it has been.
    bool& StopReported;
    TransferBudget& Budget;
};

// What a transfer asks of the component's operations and handlers.
struct FileTransferCalls {
    // The local name of an address (OnFileNameFromURL has its say).
    std::function<std::string(const std::string& address)> FileNameFromURL;
    PrefixExpander ExpandPrefixes;
    // Progress after each block (OnFileProgress); true when the person cancels (OnProgressCancel).
    std::function<bool(const std::string& name, uint64_t total, uint64_t expected)> ProgressCancelled;
    // Refuses (958) a file that would put a lower version in place of the target; an equal
    // one is refused quietly.
    std::function<bool(const std::wstring& candidate, const std::string& target)> VersionAllowsReplacing;
    // Tells the application of a file that took its target's place.
    std::function<void(const std::string& path)> FileDownloaded;
};

// Fetches the address by the carrier (a web transfer, FTP or a folder copy) into the target
// folder, under the file name the component makes of it. The bytes take the target's place only
// when complete, within the cap, of the digest named and not of a lower or equal version. A web
// download with a digest goes on from the bytes an earlier attempt kept, and keeps its own when
// it is cut short (by the budget, a cancel or the connection), never when they are wrong. In a
// web or FTP transfer, a file of the transfer folder that cannot be written raises Exception
// and ends the run; a folder copy only fails.
bool RunFileTransferStep(const FileTransferInput& input, const FileTransferCalls& calls, UpdateEdge& edge);

// Reports what the failure asks to report: a file that cannot be reached (917), or the run's
// limits (once a run, but each download given up for its speed).
void ReportTransferFailure(const TransferError& error, const std::string& address, bool& stopReported,
                           UpdateEdge& edge);

// Only the platform's SZDD format is expanded; anything else stays as it came and is used
// as it is. The compressed file goes once its expanded form is complete.
void ExpandLzFileInPlace(const std::string& path);
