#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <optional>
#include <string>

#include "TransferBudget.h"
#include "TransferGuard.h"
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
    TransferBudget& Budget;
};

// What a transfer asks of the component that runs it.
class FileTransferHost {
public:
    virtual ~FileTransferHost() = default;
    // A status with its usual codes from the status table.
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual void ReportStatusWithCodes(int id, const std::string& param, int statusCode, int errorCode) = 0;
    // True only the first time a run asks: the run's end is told once.
    virtual bool FirstStopReport() = 0;
    virtual std::string FileNameFromURL(const std::string& address) = 0;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    // Called while a request is being sent: the window stays live.
    virtual void PumpMessages() = 0;
    // After each block: the window stays live, progress is told, and false when the user cancels.
    virtual bool BlockArrived(const std::string& name, uint64_t total, uint64_t expected) = 0;
    // Refuses (958) a file that would put a lower version in place of the target; an equal
    // one is refused quietly.
    virtual bool VersionAllowsReplacing(const std::wstring& candidate, const std::string& target) = 0;
    // Tells the application of a file that took its target's place.
    virtual void FileDownloaded(const std::string& path) = 0;
    virtual void ExpandLzFile(const std::string& path) = 0;
};

// Fetches the address by the carrier (a web transfer, FTP or a folder copy) into the target
// folder, under the file name the host makes of it. The bytes take the target's place only
// when complete, within the cap, of the digest named and not of a lower or equal version. In a
// web or FTP transfer, a file of the transfer folder that cannot be written raises Exception
// and ends the run; a folder copy only fails.
bool RunFileTransferStep(const FileTransferInput& input, FileTransferHost& host);

// Reports what the failure asks to report: a file that cannot be reached (917), or the run's
// limits (once a run, but each download given up for its speed).
void ReportTransferFailure(const TransferError& error, const std::string& address, FileTransferHost& host);

// An http address with the proxy's user and password written in, when a user is named.
std::string WithProxyCredentials(const std::string& address, const std::string& user, const std::string& password);
