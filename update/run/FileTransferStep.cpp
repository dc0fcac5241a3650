#include "FileTransferStep.h"

#include <optional>
#include <utility>

#include "AsciiCase.h"
#include "EntryPath.h"
#include "Exception.h"
#include "FileFetch.h"
#include "InternetSession.h"
#include "LzFile.h"
#include "PartialDownload.h"
#include "Text.h"
#include "TransferFile.h"
#include "UpdatePaths.h"
#include "UpdateStatus.h"
#include "WebTransfer.h"

namespace {

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
bool PutInPlace(TransferFile& file, const std::string& target, const TransferGuard& guard,
                const FileTransferCalls& calls)
{
    file.Close();
    return guard.Total() > 0 && calls.VersionAllowsReplacing(file.Path(), target) && file.MoveTo(Widen(target));
}

FileSource SourceOf(const FileTransferInput& input, const std::string& localName, const FileTransferCalls& calls,
                    UpdateEdge& edge)
{
    switch (input.Carrier) {
    case TAutoUpdateType::fileUpdate:
        return {.carrier = FileCarrier::Folder, .location = input.Address};
    case TAutoUpdateType::ftpUpdate:
        if (!input.FtpFolder.empty() && !input.FtpFolderEntered) {
            EnterFtpFolder(input.Connection, calls.ExpandPrefixes(input.FtpFolder));
            input.FtpFolderEntered = true;
        }
        return {.carrier = FileCarrier::Ftp, .location = localName, .connection = input.Connection};
    case TAutoUpdateType::httpUpdate:
        break;
    }
    return {.carrier = FileCarrier::Web,
            .location = WithProxyCredentials(input.Address, input.ProxyUser, input.ProxyPassword),
            .connection = input.Connection,
            .keepConnection = input.KeepConnection,
            .stepTimeoutMs = input.RequestTimeoutMs,
            .whileWaiting = [&edge] { edge.PumpMessages(); }};
}

// Whether the bytes received so far may be kept for a later attempt: only a transfer cut short
// keeps them, never one whose bytes are wrong or too many.
bool KeepsWhatCame(TransferFailure failure)
{
    switch (failure) {
    case TransferFailure::Digest:
    case TransferFailure::TooLarge:
    case TransferFailure::Write:
    case TransferFailure::Encoded:
    case TransferFailure::Inflate:
        return false;
    default:
        return true;
    }
}

// Fetches the file into the transfer folder (or, resumable, its partial file), then puts it in
// the target's place.
bool ReceiveFile(const FileTransferInput& input, const std::string& localName, const std::string& target,
                 TransferGuard& guard, const FileTransferCalls& calls, UpdateEdge& edge)
{
    const bool folderCopy = input.Carrier == TAutoUpdateType::fileUpdate;
    // A folder copy's progress names its source, a transfer's the file it makes.
    const std::string& progressName = folderCopy ? input.Address : target;
    std::optional<PartialDownload> partial;
    if (input.Carrier == TAutoUpdateType::httpUpdate && input.ExpectedSha256 &&
        input.Kind == TransferBudget::Kind::Download && !input.PartialFolder.empty())
        partial.emplace(Widen(input.PartialFolder), input.Address, *input.ExpectedSha256);
    // Another transfer of the same file holds its kept bytes: this one keeps none.
    if (partial && !partial->Available())
        partial.reset();
    std::optional<TransferFile> transferFile;
    TransferFile* file = nullptr;
    FileSource source = SourceOf(input, localName, calls, edge);
    if (partial)
        source.held = partial->Held();
    try {
        const Fetched fetched = edge.Fetch(
            source, guard,
            [&](uint64_t from, const std::string& validator) -> BlockSink {
                if (partial)
                    file = &partial->Open(from, validator, guard);
                else
                    file = &transferFile.emplace(Widen(input.TransferFolder));
                if (!folderCopy)
                    return WriteOrFail(*file, partial ? input.PartialFolder : input.TransferFolder);
                if (!file->IsOpen())
                    return {};
                return [file](std::string_view block) { return file->Write(block); };
            },
            [&](uint64_t total, uint64_t announced) {
                edge.PumpMessages();
                return !calls.ProgressCancelled(progressName, total, announced);
            });
        if (!fetched.moved) {
            if (partial)
                partial->Keep(guard.Total());
            edge.ReportStatusWithCodes(usHttpStatus, std::to_string(fetched.httpStatus), 6, int(fetched.httpStatus));
            return false;
        }
    } catch (const TransferError& error) {
        if (partial && KeepsWhatCame(error.Failure()))
            partial->Keep(guard.Total());
        ReportTransferFailure(error, input.Address, input.StopReported, edge);
        return false;
    }
    return PutInPlace(*file, target, guard, calls);
}

} // namespace

bool RunFileTransferStep(const FileTransferInput& input, const FileTransferCalls& calls, UpdateEdge& edge)
{
    edge.ReportStatus(usDownload, input.Address);
    const std::string localName = calls.FileNameFromURL(input.Address);
    const std::string& targetDir = input.TargetDir;
    const bool folderCopy = input.Carrier == TAutoUpdateType::fileUpdate;
    const bool namesFile = folderCopy && !targetDir.empty() && !IsPathSeparator(targetDir.back());
    // The name from the address (or the handler) must not lead out of the target folder.
    if (!namesFile && !StaysInsideFolder(Widen(localName)))
        return false;
    TransferGuard guard(input.Budget, input.Kind, uint64_t(input.SizeLimit), input.ExpectedSha256);
    const std::string target = namesFile ? targetDir : targetDir + localName;
    if (folderCopy && input.Address == target) {
        edge.ReportStatus(usEqualFiles, input.Address);
        return false;
    }
    if (!ReceiveFile(input, localName, target, guard, calls, edge))
        return false;
    calls.FileDownloaded(target);
    // A cabinet marked compressed is left whole for its own step.
    if (input.Compressed && ToUpper(ExtensionOf(target)) != ".CAB")
        ExpandLzFileInPlace(target);
    return true;
}

void ReportTransferFailure(const TransferError& error, const std::string& address, bool& stopReported,
                           UpdateEdge& edge)
{
    switch (error.Failure()) {
    case TransferFailure::Address:
    case TransferFailure::Connect:
    case TransferFailure::Open:
    case TransferFailure::Send:
    case TransferFailure::NoReply:
    case TransferFailure::Redirect:
        edge.ReportStatus(usInternetFileNotFound, address);
        break;
    case TransferFailure::Missing:
        edge.ReportStatus(usLocalFileNotFound, address);
        break;
    case TransferFailure::Empty:
        edge.ReportStatus(usZeroLengthSource, address);
        break;
    case TransferFailure::Stopped:
        // The run's end is told once; each download given up for its speed is told.
        if (error.Verdict() == TransferBudget::Verdict::TooSlow || !std::exchange(stopReported, true))
            edge.ReportStatusWithCodes(usRunStopped, error.what(), 2, 6);
        break;
    default:
        break;
    }
}

void ExpandLzFileInPlace(const std::string& path)
{
    const std::wstring source = Widen(path);
    if (ExpandLzFileBeside(source))
        DeleteFileW(source.c_str());
}
