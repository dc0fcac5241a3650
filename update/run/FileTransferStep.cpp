#include "FileTransferStep.h"

#include "AsciiCase.h"
#include "EntryPath.h"
#include "Exception.h"
#include "InternetHandle.h"
#include "Text.h"
#include "TransferFile.h"
#include "UpdatePaths.h"
#include "UpdateStatus.h"
#include "WebTransfer.h"
#include "Win32Handle.h"

namespace {

constexpr DWORD kReadBlock = 4096;
constexpr DWORD kCopyBlock = 16384;
constexpr DWORD kFtpFindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

[[noreturn]] void FailToWrite(const std::string& folder)
{
    throw Exception("Cannot write a temporary file in " + folder + ": " + SystemErrorMessage(GetLastError()));
}

// A file of the transfer folder that cannot be made or written ends the run.
BlockSink WriteOrFail(TransferFile& file, const std::string& folder)
{
    if (!file.IsOpen())
        FailToWrite(folder);
    return [&file, folder](std::string_view block) {
        if (!file.Write(block))
            FailToWrite(folder);
        return true;
    };
}

// An empty transfer or a file that would lower a version never replaces anything: the
// temporary file goes and the old target stays.
bool PutInPlace(TransferFile& file, const std::string& target, const TransferGuard& guard, FileTransferHost& host)
{
    file.Close();
    return guard.Total() > 0 && host.VersionAllowsReplacing(file.Path(), target) && file.MoveTo(Widen(target));
}

bool ReceiveWebFile(const FileTransferInput& input, const std::string& target, TransferGuard& guard,
                    FileTransferHost& host)
{
    try {
        const std::string url = WithProxyCredentials(input.Address, input.ProxyUser, input.ProxyPassword);
        WebTransfer transfer(WebRequest{.url = url,
                                        .httpVersion = "",
                                        .session = input.Connection,
                                        .keepConnection = input.KeepConnection,
                                        .stepTimeoutMs = input.RequestTimeoutMs,
                                        .readBlock = kReadBlock,
                                        .whileSending = [&host] { host.PumpMessages(); }},
                             guard);
        if (transfer.Status() >= 300) {
            host.ReportStatusWithCodes(usHttpStatus, std::to_string(transfer.Status()), 6, int(transfer.Status()));
            return false;
        }
        TransferFile file(Widen(input.TransferFolder));
        transfer.Receive(WriteOrFail(file, input.TransferFolder), [&](uint64_t total) {
            return host.BlockArrived(target, total, transfer.AnnouncedLength());
        });
        return PutInPlace(file, target, guard, host);
    } catch (const TransferError& error) {
        ReportTransferFailure(error, input.Address, host);
        return false;
    }
}

bool ReceiveFtpFile(const FileTransferInput& input, const std::string& localName, const std::string& target,
                    TransferGuard& guard, FileTransferHost& host)
{
    const HINTERNET connection = input.Connection;
    if (!input.FtpFolder.empty() && !input.FtpFolderEntered) {
        FtpSetCurrentDirectoryW(connection, Widen(host.ExpandPrefixes(input.FtpFolder)).c_str());
        input.FtpFolderEntered = true;
    }
    WIN32_FIND_DATAW found{};
    InternetHandle search(FtpFindFirstFileW(connection, Widen(localName).c_str(), &found, kFtpFindFlags, 0));
    const uint64_t expectedSize = search ? (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow : 0;
    search.Reset();
    InternetHandle request(
        FtpOpenFileW(connection, Widen(localName).c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
    if (!request) {
        host.ReportStatus(usInternetFileNotFound, input.Address);
        return false;
    }
    TransferFile file(Widen(input.TransferFolder));
    try {
        MoveBlocks(
            guard, kReadBlock,
            [&](char* buffer, size_t size) {
                DWORD count = 0;
                if (!InternetReadFile(request.Get(), buffer, DWORD(size), &count))
                    throw TransferError(TransferFailure::Read, "FTP: reading failed");
                return size_t(count);
            },
            WriteOrFail(file, input.TransferFolder),
            [&](uint64_t total) { return host.BlockArrived(target, total, expectedSize); });
    } catch (const TransferError& error) {
        ReportTransferFailure(error, input.Address, host);
        return false;
    }
    // Closed before anything else happens on the connection, which carries one transfer at a time.
    request.Reset();
    return PutInPlace(file, target, guard, host);
}

bool CopyLocalFile(const FileTransferInput& input, const std::string& target, TransferGuard& guard,
                   FileTransferHost& host)
{
    const std::string& source = input.Address;
    if (source == target) {
        host.ReportStatus(usEqualFiles, source);
        return false;
    }
    FileHandle file(
        CreateFileW(Widen(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        host.ReportStatus(usLocalFileNotFound, source);
        return false;
    }
    LARGE_INTEGER length{};
    // An empty source would put an empty file in the target's place.
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart == 0) {
        host.ReportStatus(usZeroLengthSource, source);
        return false;
    }
    TransferFile copy(Widen(input.TransferFolder));
    if (!copy.IsOpen())
        return false;
    try {
        MoveBlocks(
            guard, kCopyBlock,
            [&](char* buffer, size_t size) {
                DWORD count = 0;
                if (!ReadFile(file.Get(), buffer, DWORD(size), &count, nullptr))
                    throw TransferError(TransferFailure::Read, "Cannot read " + source);
                return size_t(count);
            },
            [&](std::string_view block) { return copy.Write(block); },
            [&](uint64_t total) { return host.BlockArrived(source, total, uint64_t(length.QuadPart)); });
    } catch (const TransferError& error) {
        ReportTransferFailure(error, source, host);
        return false;
    }
    file.Reset();
    return PutInPlace(copy, target, guard, host);
}

} // namespace

bool RunFileTransferStep(const FileTransferInput& input, FileTransferHost& host)
{
    host.ReportStatus(usDownload, input.Address);
    const std::string localName = host.FileNameFromURL(input.Address);
    const std::string& targetDir = input.TargetDir;
    const bool folderCopy = input.Carrier == TAutoUpdateType::fileUpdate;
    const bool namesFile = folderCopy && !targetDir.empty() && !IsPathSeparator(targetDir.back());
    // The name from the address (or the handler) must not lead out of the target folder.
    if (!namesFile && !StaysInsideFolder(Widen(localName)))
        return false;
    TransferGuard guard(input.Budget, input.Kind, uint64_t(input.SizeLimit), input.ExpectedSha256);
    const std::string target = namesFile ? targetDir : targetDir + localName;
    const bool received = folderCopy ? CopyLocalFile(input, target, guard, host)
                          : input.Carrier == TAutoUpdateType::ftpUpdate
                              ? ReceiveFtpFile(input, localName, target, guard, host)
                              : ReceiveWebFile(input, target, guard, host);
    if (!received)
        return false;
    host.FileDownloaded(target);
    // A cabinet marked compressed is left whole for its own step.
    if (input.Compressed && ToUpper(ExtensionOf(target)) != ".CAB")
        host.ExpandLzFile(target);
    return true;
}

void ReportTransferFailure(const TransferError& error, const std::string& address, FileTransferHost& host)
{
    switch (error.Failure()) {
    case TransferFailure::Address:
    case TransferFailure::Connect:
    case TransferFailure::Open:
    case TransferFailure::Send:
    case TransferFailure::NoReply:
    case TransferFailure::Redirect:
        host.ReportStatus(usInternetFileNotFound, address);
        break;
    case TransferFailure::Stopped:
        // The run's end is told once; each download given up for its speed is told.
        if (error.Verdict() == TransferBudget::Verdict::TooSlow || host.FirstStopReport())
            host.ReportStatusWithCodes(usRunStopped, error.what(), 2, 6);
        break;
    default:
        break;
    }
}

std::string WithProxyCredentials(const std::string& address, const std::string& user, const std::string& password)
{
    if (user.empty() || ToUpper(address.substr(0, 7)) != "HTTP://")
        return address;
    return "http://" + user + ":" + password + "@" + address.substr(7);
}
