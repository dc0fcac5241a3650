#include "AUpdate.h"

#include <algorithm>
#include <utility>

#include "Application.h"
#include "AsciiCase.h"
#include "EntryPath.h"
#include "Exception.h"
#include "FileIO.h"
#include "LzFile.h"
#include "SystemLibrary.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdatePaths.h"
#include "VersionOrder.h"
#include "WebTransfer.h"

// The run's session and its transfers, and the post to the maker's server; on UpdateState.

namespace {

constexpr DWORD kReadBlock = 4096;
constexpr DWORD kCopyBlock = 16384;
constexpr DWORD kResponseChars = 1025;
constexpr DWORD kFtpFindFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// Between blocks the window stays live, yet a look into the message queue costs (under
// Wine) about as much as reading a block: it is taken at most this often.
constexpr ULONGLONG kPumpIntervalMs = 15;

// Looks the function up in wininet.dll, calls it and releases the library again. A library
// or function that cannot be found counts as success.
template <typename Function, typename... Args>
bool CallWinInet(const char* name, Args... args)
{
    const ModuleHandle library = LoadSystemLibrary(L"wininet.dll");
    if (!library)
        return true;
    Function* function = LibraryFunction<Function>(library, name);
    return !function || function(args...);
}

[[noreturn]] void FailToWrite(const std::string& folder)
{
    throw Exception("Cannot write a temporary file in " + folder + ": " + SystemErrorMessage(GetLastError()));
}

// A file of the transfer folder that cannot be written ends the run.
BlockSink WriteOrFail(TransferFile& file, const std::string& folder)
{
    return [&file, folder](std::string_view block) {
        if (!file.Write(block))
            FailToWrite(folder);
        return true;
    };
}

// The reply is kept but never interpreted: a server cannot make it grow without end.
constexpr size_t kPostReplyLimit = 1 << 20;

} // namespace

TInternetConnectionFunctions WinInetConnectionFunctions()
{
    return {
        [] {
            DWORD flags = 0;
            return CallWinInet<decltype(InternetGetConnectedState)>("InternetGetConnectedState", &flags, DWORD(0));
        },
        [](DWORD flags) { return CallWinInet<decltype(InternetAutodial)>("InternetAutodial", flags, HWND(nullptr)); },
        [] { return CallWinInet<decltype(InternetAutodialHangup)>("InternetAutodialHangup", DWORD(0)); },
    };
}

std::string TAutoUpdate::TemporaryFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    std::string folder = Narrow(std::wstring_view(path, GetTempPathW(MAX_PATH + 1, path)));
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

int TAutoUpdate::OpenInternetSession()
{
    ftpConnection_.Reset();
    session_.Reset();
    if (UpdateType == TAutoUpdateType::fileUpdate) {
        runOpen_ = true;
        return 0;
    }
    wininet_ = LoadSystemLibrary(L"wininet.dll");
    Report(usCheckingConnection);
    const bool prompt = UpdateConnect == TAutoUpdateConnect::aucConnectPrompt ||
                        UpdateConnect == TAutoUpdateConnect::aucConnectPromptHangup;
    const bool silent = UpdateConnect == TAutoUpdateConnect::aucConnectSilent ||
                        UpdateConnect == TAutoUpdateConnect::aucConnectSilentHangup;
    if (UpdateConnect == TAutoUpdateConnect::aucNoConnect && !ConnectionFunctions.IsConnected())
        return 1;
    const std::tuple<bool, UpdateStatusId, DWORD> dialSteps[] = {
        {prompt, usPromptConnection, INTERNET_AUTODIAL_FORCE_ONLINE},
        {silent, usOpeningConnection, INTERNET_AUTODIAL_FORCE_UNATTENDED},
    };
    for (auto [dialMode, status, flags] : dialSteps) {
        if (!dialMode || ConnectionFunctions.IsConnected())
            continue;
        Report(status);
        if (!ConnectionFunctions.Dial(flags)) {
            Report(usDialFailed);
            return 3;
        }
        dialled_ = true;
    }
    Report(usFoundConnection);
    session_.Reset(Proxy.empty()
                       ? InternetOpenW(L"AutoUpdate", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
                       : InternetOpenW(L"AutoUpdate", INTERNET_OPEN_TYPE_PROXY, Widen(Proxy).c_str(), nullptr, 0));
    if (!session_) {
        Report(usCannotOpenConnection);
        return 2;
    }
    SetInternetTimeouts(session_.Get(), RequestTimeoutMs);
    runOpen_ = true;
    return 0;
}

int TAutoUpdate::CloseInternetSession()
{
    if (UpdateType != TAutoUpdateType::fileUpdate) {
        if (UpdateType == TAutoUpdateType::ftpUpdate && ftpConnection_) {
            ftpConnection_.Reset();
            Report(usFtpClosed);
        }
        if (session_) {
            session_.Reset();
            Report(usClosedConnection);
        }
        if (dialled_ && (UpdateConnect == TAutoUpdateConnect::aucConnectPromptHangup ||
                         UpdateConnect == TAutoUpdateConnect::aucConnectSilentHangup)) {
            ConnectionFunctions.HangUp();
            Report(usHangup);
        }
        Report(usClosedConnection);
        wininet_.Reset();
    }
    if (!controlFilePath_.empty())
        DeleteFileW(Widen(controlFilePath_).c_str());
    controlFilePath_.clear();
    controlText_.clear();
    runOpen_ = false;
    return 0;
}

int TAutoUpdate::ConnectFtpHost()
{
    Report(usConnectToHost, Host);
    const bool credentials = !UserID.empty() && !Password.empty();
    std::wstring user = Widen(UserID), password = Widen(Password);
    ftpConnection_.Reset(InternetConnectW(session_.Get(), Widen(Host).c_str(), INTERNET_PORT(Port),
                                          credentials ? user.c_str() : nullptr,
                                          credentials ? password.c_str() : nullptr, INTERNET_SERVICE_FTP,
                                          FTPPassive ? INTERNET_FLAG_PASSIVE : 0, 0));
    return ftpConnection_ ? 0 : -1;
}

void TAutoUpdate::ReportInternetError()
{
    DWORD code = GetLastError();
    if (code == 0)
        return;
    std::string text = ModuleErrorMessage(code, L"wininet.dll");
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        // Read into a buffer of a size first: Wine answers a question for the size alone
        // with 0, and the server's answer would be lost.
        std::wstring response(kResponseChars, L'\0');
        DWORD length = kResponseChars;
        bool read = InternetGetLastResponseInfoW(&code, response.data(), &length);
        if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            response.assign(length + 1, L'\0');
            read = InternetGetLastResponseInfoW(&code, response.data(), &length);
        }
        // Wine counts the closing zero in.
        const std::wstring_view answer(response.data(), read ? std::min<size_t>(length, response.size()) : 0);
        text = Narrow(answer.substr(0, answer.find(L'\0')));
        if (text.empty())
            return;
    }
    if (OnStatus)
        OnStatus(*this, text, 1, int(code));
    else
        MessageBoxW(nullptr, Widen(text).c_str(), Widen(Application ? Application->Title() : "").c_str(),
                    MB_OK | MB_ICONERROR);
}

std::string TAutoUpdate::FileNameFromURL(const std::string& address)
{
    std::string name = address;
    for (char separator : {'/', '\\'})
        if (size_t last = name.rfind(separator); last != std::string::npos)
            name.erase(0, last + 1);
    if (!OnFileNameFromURL)
        return name;
    std::string fileName = name;
    OnFileNameFromURL(*this, name, fileName);
    return fileName;
}

std::string TAutoUpdate::AddProxyCredentials(const std::string& address, const std::string& user,
                                             const std::string& password)
{
    if (user.empty() || ToUpper(address.substr(0, 7)) != "HTTP://")
        return address;
    return "http://" + user + ":" + password + "@" + address.substr(7);
}

void TAutoUpdate::NotifyFileDownloaded(const std::string& path)
{
    if (OnFileDownloaded)
        OnFileDownloaded(*this, path);
}

void TAutoUpdate::PumpMessages()
{
    const ULONGLONG now = GetTickCount64();
    if (now - lastPumpMs_ < kPumpIntervalMs)
        return;
    lastPumpMs_ = now;
    if (Application)
        Application->ProcessMessages();
}

TAutoUpdate::TransferFolderScope::TransferFolderScope(TAutoUpdate& update) : update_(update)
{
    update_.transferFolder_ = update_.TempDirectory;
    // Tried by making a file: Wine names a temporary file even where it cannot make it.
    if (TransferFile(Widen(update_.TempDirectory)).IsOpen())
        return;
    const std::wstring stem = Widen(TemporaryFolder()) + L"SorielRun-" + std::to_wstring(GetCurrentProcessId());
    if (std::optional<std::wstring> folder = MakeFreshFolder(stem)) {
        own_ = *folder;
        update_.transferFolder_ = Narrow(*folder) + "\\";
    }
}

TAutoUpdate::TransferFolderScope::~TransferFolderScope()
{
    if (!own_.empty())
        RemoveDirectoryW(own_.c_str());
    update_.transferFolder_.clear();
}

bool TAutoUpdate::TransferFailed(const TransferError& error, const std::string& address)
{
    switch (error.Failure()) {
    case TransferFailure::Address:
    case TransferFailure::Connect:
    case TransferFailure::Open:
    case TransferFailure::Send:
    case TransferFailure::NoReply:
    case TransferFailure::Redirect:
        Report(usInternetFileNotFound, address);
        break;
    case TransferFailure::Stopped:
        // The run's end is told once; each download given up for its speed is told.
        if (error.Verdict() == TransferBudget::Verdict::TooSlow || !std::exchange(stopReported_, true))
            ReportStatus(usRunStopped, error.what(), 2, 6);
        break;
    default:
        break;
    }
    return false;
}

bool TAutoUpdate::BlockArrived(const std::string& name, uint64_t total, uint64_t expected)
{
    PumpMessages();
    return !ProgressCancelled(name, static_cast<long long>(total), static_cast<long long>(expected));
}

bool TAutoUpdate::VersionAllowsReplacing(const std::wstring& candidate, const std::string& target)
{
    switch (CompareFileVersions(candidate, Widen(target))) {
    case VersionOrder::Lower:
        Report(usOlderVersionRefused, target);
        versionRefused_ = true;
        return false;
    case VersionOrder::Equal:
        versionRefused_ = true;
        return false;
    case VersionOrder::Higher:
    case VersionOrder::Unknown:
        break;
    }
    return true;
}

bool TAutoUpdate::ProgressCancelled(const std::string& filename, long long pos, long long size)
{
    if (OnFileProgress)
        OnFileProgress(*this, filename, int(pos), int(size));
    bool cancel = false;
    if (OnProgressCancel)
        OnProgressCancel(*this, cancel);
    return cancel;
}

bool TAutoUpdate::DownloadFile(HINTERNET connection, const std::string& address, bool compressed,
                               const std::string& targetDir, const std::optional<std::string>& expectedSha256,
                               long long sizeLimit, TransferBudget::Kind kind)
{
    if (!runUnderWay_)
        budget_.Reset(TransferLimits);
    if (RunStopped())
        return false;
    Report(usDownload, address);
    const std::string localName = FileNameFromURL(address);
    // A target folder whose last part is a name names the target file itself.
    const bool namesFile =
        UpdateType == TAutoUpdateType::fileUpdate && !targetDir.empty() && !IsPathSeparator(targetDir.back());
    // The name from the address (or the handler) must not lead out of the target folder.
    if (!namesFile && !StaysInsideFolder(Widen(localName)))
        return false;
    TransferGuard guard(budget_, kind, uint64_t(sizeLimit), expectedSha256);
    if (UpdateType == TAutoUpdateType::fileUpdate) {
        const std::string target = namesFile ? targetDir : targetDir + localName;
        if (!CopyLocalFile(address, target, guard))
            return false;
        FileArrived(target, compressed);
        return true;
    }
    const std::string target = targetDir + localName;
    const bool received = UpdateType == TAutoUpdateType::ftpUpdate
                              ? ReceiveFtpFile(connection, address, localName, target, guard)
                              : ReceiveWebFile(connection, address, target, guard);
    if (!received)
        return false;
    FileArrived(target, compressed);
    return true;
}

bool TAutoUpdate::ReceiveWebFile(HINTERNET session, const std::string& address, const std::string& target,
                                 TransferGuard& guard)
{
    try {
        WebTransfer transfer(WebRequest{.url = AddProxyCredentials(address, ProxyUserID, ProxyPassword),
                                        .httpVersion = "",
                                        .session = session,
                                        .keepConnection = HTTPKeepAliveAuthentication,
                                        .stepTimeoutMs = RequestTimeoutMs,
                                        .readBlock = kReadBlock,
                                        .whileSending = [this] { PumpMessages(); }},
                             guard);
        if (transfer.Status() >= 300) {
            ReportStatus(usHttpStatus, std::to_string(transfer.Status()), 6, int(transfer.Status()));
            return false;
        }
        TransferFile file(Widen(TransferFolder()));
        if (!file.IsOpen())
            FailToWrite(TransferFolder());
        transfer.Receive(WriteOrFail(file, TransferFolder()),
                         [&](uint64_t total) { return BlockArrived(target, total, transfer.AnnouncedLength()); });
        return PutInPlace(file, target, guard);
    } catch (const TransferError& error) {
        return TransferFailed(error, address);
    }
}

bool TAutoUpdate::ReceiveFtpFile(HINTERNET connection, const std::string& address, const std::string& localName,
                                 const std::string& target, TransferGuard& guard)
{
    if (!FTPDirectory.empty() && !ftpFolderEntered_) {
        FtpSetCurrentDirectoryW(connection, Widen(ExpandPrefixes(FTPDirectory)).c_str());
        ftpFolderEntered_ = true;
    }
    WIN32_FIND_DATAW found{};
    InternetHandle search(FtpFindFirstFileW(connection, Widen(localName).c_str(), &found, kFtpFindFlags, 0));
    const uint64_t expectedSize = search ? (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow : 0;
    search.Reset();
    InternetHandle request(
        FtpOpenFileW(connection, Widen(localName).c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
    if (!request) {
        Report(usInternetFileNotFound, address);
        return false;
    }
    TransferFile file(Widen(TransferFolder()));
    if (!file.IsOpen())
        FailToWrite(TransferFolder());
    try {
        MoveBlocks(
            guard, kReadBlock,
            [&](char* buffer, size_t size) {
                DWORD count = 0;
                if (!InternetReadFile(request.Get(), buffer, DWORD(size), &count))
                    throw TransferError(TransferFailure::Read, "FTP: reading failed");
                return size_t(count);
            },
            WriteOrFail(file, TransferFolder()),
            [&](uint64_t total) { return BlockArrived(target, total, expectedSize); });
    } catch (const TransferError& error) {
        return TransferFailed(error, address);
    }
    // Closed before anything else happens on the connection, which carries one transfer at a time.
    request.Reset();
    return PutInPlace(file, target, guard);
}

// An empty transfer or a file that would lower a version never replaces anything: the
// temporary file goes and the old target stays.
bool TAutoUpdate::PutInPlace(TransferFile& file, const std::string& target, const TransferGuard& guard)
{
    file.Close();
    return guard.Total() > 0 && VersionAllowsReplacing(file.Path(), target) && file.MoveTo(Widen(target));
}

// A cabinet marked compressed is left whole for its own step.
void TAutoUpdate::FileArrived(const std::string& path, bool compressed)
{
    NotifyFileDownloaded(path);
    if (compressed && ToUpper(ExtensionOf(path)) != ".CAB")
        ExpandLZFile(path);
}

bool TAutoUpdate::CopyLocalFile(const std::string& source, const std::string& target, TransferGuard& guard)
{
    if (source == target) {
        Report(usEqualFiles, source);
        return false;
    }
    FileHandle input(
        CreateFileW(Widen(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!input) {
        Report(usLocalFileNotFound, source);
        return false;
    }
    LARGE_INTEGER length{};
    // An empty source would put an empty file in the target's place.
    if (!GetFileSizeEx(input.Get(), &length) || length.QuadPart == 0) {
        Report(usZeroLengthSource, source);
        return false;
    }
    TransferFile file(Widen(TransferFolder()));
    if (!file.IsOpen())
        return false;
    try {
        MoveBlocks(
            guard, kCopyBlock,
            [&](char* buffer, size_t size) {
                DWORD count = 0;
                if (!ReadFile(input.Get(), buffer, DWORD(size), &count, nullptr))
                    throw TransferError(TransferFailure::Read, "Cannot read " + source);
                return size_t(count);
            },
            [&](std::string_view block) { return file.Write(block); },
            [&](uint64_t total) { return BlockArrived(source, total, uint64_t(length.QuadPart)); });
    } catch (const TransferError& error) {
        return TransferFailed(error, source);
    }
    input.Reset();
    return PutInPlace(file, target, guard);
}

std::unique_ptr<TStringList> TAutoUpdate::DownloadText(const std::string& address, long long sizeLimit,
                                                       const std::optional<std::string>& expectedSha256)
{
    const std::string folder = TemporaryFolder();
    if (!DownloadFile(ConnectionHandle(), address, false, folder, expectedSha256, sizeLimit,
                      TransferBudget::Kind::Small))
        return nullptr;
    const std::wstring path = Widen(folder + FileNameFromURL(address));
    auto text = std::make_unique<TStringList>();
    text->SetText(ReadWholeFile(path).value_or(""));
    DeleteFileW(path.c_str());
    return text;
}

// Only the platform's SZDD format is expanded; anything else stays as it came and is used
// as it is. The compressed file goes once its expanded form is complete.
void TAutoUpdate::ExpandLZFile(const std::string& path)
{
    const std::wstring source = Widen(path);
    if (ExpandLzFileBeside(source))
        DeleteFileW(source.c_str());
}

void TAutoUpdate::SendPostUpdateInfo()
{
    if (!runUnderWay_)
        budget_.Reset(TransferLimits);
    if (PostUpdateInfo.Server.empty() || PostUpdateInfo.Action.empty() || RunStopped())
        return;
    PostUpdateInfo.PostReply.clear();
    TransferGuard guard(budget_, TransferBudget::Kind::Small, kPostReplyLimit);
    try {
        WebTransfer transfer(WebRequest{.url = "http://" + PostUpdateInfo.Server + "/",
                                        .target = PostUpdateInfo.Action,
                                        .verb = "POST",
                                        .httpVersion = "",
                                        .headers = "Content-Type: application/x-www-form-urlencoded\r\n",
                                        .body = PostUpdateInfo.Data,
                                        .agent = "TAutoUpdate",
                                        .stepTimeoutMs = RequestTimeoutMs,
                                        .whileSending = [this] { PumpMessages(); }},
                             guard);
        PostUpdateInfo.PostReply = transfer.ReceiveAll([this](uint64_t) {
            PumpMessages();
            return true;
        });
    } catch (const TransferError& error) {
        if (error.Failure() == TransferFailure::Address || error.Failure() == TransferFailure::Connect)
            Report(usPostConnectFailed);
        else if (error.Failure() == TransferFailure::Open)
            Report(usPostResourceFailed);
        else if (error.Failure() == TransferFailure::Stopped)
            TransferFailed(error, PostUpdateInfo.Server);
    }
}
