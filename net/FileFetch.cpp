#include "FileFetch.h"

#include "InternetHandle.h"
#include "Text.h"
#include "WebTransfer.h"
#include "Win32Handle.h"

namespace {

constexpr DWORD kReadBlock = 4096;
constexpr DWORD kCopyBlock = 16384;
constexpr DWORD kFtpFindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

BlockSink OpenSink(const SinkOpener& openSink, uint64_t from = 0, const std::string& validator = {})
{
    BlockSink sink = openSink(from, validator);
    if (!sink)
        throw TransferError(TransferFailure::Write, "The bytes cannot be kept");
    return sink;
}

std::string FirstHeader(const WebTransfer& transfer, DWORD info)
{
    const std::vector<std::string> values = transfer.HeaderValues(info);
    return values.empty() ? std::string() : values.front();
}

Fetched FetchWebFile(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                     const FetchProgress& onBlock)
{
    const WebRequest request{.url = source.location,
                             .httpVersion = "",
                             .conditions = source.held ? ResumeConditions(*source.held) : std::string(),
                             .session = source.connection,
                             .keepConnection = source.keepConnection,
                             .stepTimeoutMs = source.stepTimeoutMs,
                             .readBlock = kReadBlock,
                             .whileWaiting = source.whileWaiting};
    std::optional<WebTransfer> transfer(std::in_place, request, guard);
    ResumeReply answer = ResumeReply::Whole;
    if (source.held) {
        answer = JudgeResumeReply(transfer->Status(), FirstHeader(*transfer, HTTP_QUERY_CONTENT_RANGE),
                                  source.held->bytes);
        if (answer == ResumeReply::StartOver) {
            transfer.reset();
            WebRequest whole = request;
            whole.conditions.clear();
            transfer.emplace(std::move(whole), guard);
            answer = ResumeReply::Whole;
        }
    }
    if (transfer->Status() >= 300)
        return {false, transfer->Status()};
    const bool append = answer == ResumeReply::Append;
    const uint64_t from = append ? source.held->bytes : 0;
    const std::string validator = append ? source.held->validator
                                         : ResumeValidator(FirstHeader(*transfer, HTTP_QUERY_ETAG),
                                                           FirstHeader(*transfer, HTTP_QUERY_LAST_MODIFIED));
    transfer->Receive(OpenSink(openSink, from, validator), [&](uint64_t total) {
        return onBlock(total, transfer->AnnouncedLength() == 0 ? 0 : from + transfer->AnnouncedLength());
    });
    return {true, transfer->Status()};
}

Fetched FetchFtpFile(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                     const FetchProgress& onBlock)
{
    const std::wstring name = Widen(source.location);
    WIN32_FIND_DATAW found{};
    InternetHandle search(FtpFindFirstFileW(source.connection, name.c_str(), &found, kFtpFindFlags, 0));
    const uint64_t announced = search ? (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow : 0;
    search.Reset();
    // Closed on return, before anything else happens on the connection, which carries one
    // transfer at a time.
    const InternetHandle request(
        FtpOpenFileW(source.connection, name.c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
    if (!request)
        throw TransferError(TransferFailure::Open, "FTP: cannot open " + source.location);
    const BlockSink sink = OpenSink(openSink);
    MoveBlocks(
        guard, kReadBlock,
        [&](char* buffer, size_t size) {
            DWORD count = 0;
            if (!InternetReadFile(request.Get(), buffer, DWORD(size), &count))
                throw TransferError(TransferFailure::Read, "FTP: reading failed");
            return size_t(count);
        },
        sink, [&](uint64_t total) { return onBlock(total, announced); });
    return {true, 0};
}

Fetched CopyFolderFile(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                       const FetchProgress& onBlock)
{
    const FileHandle file(CreateFileW(Widen(source.location).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (!file)
        throw TransferError(TransferFailure::Missing, "Cannot open " + source.location);
    LARGE_INTEGER length{};
    // An empty source would put an empty file in the target's place.
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart == 0)
        throw TransferError(TransferFailure::Empty, source.location + " is empty");
    const BlockSink sink = OpenSink(openSink);
    MoveBlocks(
        guard, kCopyBlock,
        [&](char* buffer, size_t size) {
            DWORD count = 0;
            if (!ReadFile(file.Get(), buffer, DWORD(size), &count, nullptr))
                throw TransferError(TransferFailure::Read, "Cannot read " + source.location);
            return size_t(count);
        },
        sink, [&](uint64_t total) { return onBlock(total, uint64_t(length.QuadPart)); });
    return {true, 0};
}

} // namespace

Fetched FetchFile(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                  const FetchProgress& onBlock)
{
    switch (source.carrier) {
    case FileCarrier::Ftp:
        return FetchFtpFile(source, guard, openSink, onBlock);
    case FileCarrier::Folder:
        return CopyFolderFile(source, guard, openSink, onBlock);
    case FileCarrier::Web:
        break;
    }
    return FetchWebFile(source, guard, openSink, onBlock);
}
