#include "AUpdate.h"

#include <algorithm>
#include <array>
#include <utility>

#include "Application.h"
#include "EntryPath.h"
#include "Exception.h"
#include "FileIO.h"
#include "HTTPRequestFuncs.h"
#include "LzFile.h"
#include "SystemLibrary.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdatePaths.h"
#include "UpdateSignature.h"
#include "VersionOrder.h"

namespace {

constexpr DWORD kReadBlock = 4096;
constexpr DWORD kCopyBlock = 16384;
constexpr DWORD kResponseChars = 1025;
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
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

// A unique file in a folder that receives a transfer; removed unless it was put in place.
class TransferFile {
public:
    explicit TransferFile(const std::string& folder)
    {
        wchar_t name[MAX_PATH] = {};
        if (!GetTempFileNameW(Widen(folder).c_str(), L"AUPD", 0, name))
            return;
        path_ = name;
        handle_.Reset(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    ~TransferFile()
    {
        handle_.Reset();
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    bool IsOpen() const { return bool(handle_); }
    bool Write(const char* bytes, DWORD count)
    {
        DWORD written = 0;
        return WriteFile(handle_.Get(), bytes, count, &written, nullptr) && written == count;
    }
    void Close() { handle_.Reset(); }
    const std::wstring& Path() const { return path_; }
    // The closed file takes the target's place; on failure it is removed and the old
    // target stays as it was.
    bool MoveTo(const std::string& target)
    {
        if (!MoveFileExW(path_.c_str(), Widen(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
            return false;
        path_.clear();
        return true;
    }

private:
    std::wstring path_;
    FileHandle handle_;
};

[[noreturn]] void FailToWrite(const std::string& folder)
{
    throw Exception("Cannot write a temporary file in " + folder + ": " + SystemErrorMessage(GetLastError()));
}

// The SHA-256 of a transfer, taken only when a digest is expected.
class TransferDigest {
public:
    explicit TransferDigest(const std::optional<std::string>& expected) : expected_(expected)
    {
        if (expected_)
            digest_.emplace();
    }
    void Add(const char* bytes, DWORD count)
    {
        if (digest_)
            digest_->Update(std::string_view(bytes, count));
    }
    bool Matches() { return !expected_ || digest_->HexDigest() == *expected_; }

private:
    const std::optional<std::string>& expected_;
    std::optional<Sha256> digest_;
};

const char* StopReason(TransferBudget::Verdict verdict)
{
    switch (verdict) {
    case TransferBudget::Verdict::Cancelled:
        return "cancelled";
    case TransferBudget::Verdict::OutOfTime:
        return "time limit";
    case TransferBudget::Verdict::TooSlow:
        return "download too slow";
    case TransferBudget::Verdict::Go:
        break;
    }
    return "";
}

std::wstring UrlPart(const wchar_t* text, DWORD length) { return text ? std::wstring(text, length) : std::wstring(); }

// A GET of the address as InternetOpenUrl makes it, but with the time-outs set on the
// request itself: Wine's WinInet takes them from nowhere else.
void OpenHttpAddress(HINTERNET session, const std::string& address, DWORD flags, DWORD timeoutMs,
                     InternetHandle& connection, InternetHandle& request)
{
    const std::wstring url = Widen(address);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url.c_str(), DWORD(url.size()), 0, &parts))
        return;
    const std::wstring host = UrlPart(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring user = UrlPart(parts.lpszUserName, parts.dwUserNameLength);
    const std::wstring password = UrlPart(parts.lpszPassword, parts.dwPasswordLength);
    std::wstring target = UrlPart(parts.lpszUrlPath, parts.dwUrlPathLength) +
                          UrlPart(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.empty())
        target = L"/";
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    connection.Reset(InternetConnectW(session, host.c_str(), parts.nPort, user.empty() ? nullptr : user.c_str(),
                                      user.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return;
    request.Reset(HttpOpenRequestW(connection.Get(), L"GET", target.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request)
        return;
    SetInternetTimeouts(request.Get(), timeoutMs);
    if (!HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        request.Reset();
}

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
    if (TransferFile(update_.TempDirectory).IsOpen())
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

bool TAutoUpdate::TransferGoesOn(long long total)
{
    PumpMessages();
    const TransferBudget::Verdict verdict = budget_.Check(TickMs(), uint64_t(total));
    if (verdict == TransferBudget::Verdict::Go)
        return true;
    // The run's end is told once; each download given up for its speed is told.
    if (verdict == TransferBudget::Verdict::TooSlow || !std::exchange(stopReported_, true))
        ReportStatus(usRunStopped, StopReason(verdict), 2, 6);
    return false;
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
    const BudgetedTransfer budgeted(budget_, kind, TickMs);
    Report(usDownload, address);
    const std::string localName = FileNameFromURL(address);
    // A target folder whose last part is a name names the target file itself.
    const bool namesFile =
        UpdateType == TAutoUpdateType::fileUpdate && !targetDir.empty() && !IsPathSeparator(targetDir.back());
    // The name from the address (or the handler) must not lead out of the target folder.
    if (!namesFile && !StaysInsideFolder(Widen(localName)))
        return false;
    if (UpdateType == TAutoUpdateType::fileUpdate) {
        const std::string target = namesFile ? targetDir : targetDir + localName;
        if (!CopyLocalFile(address, target, expectedSha256, sizeLimit))
            return false;
        FileArrived(target, compressed);
        return true;
    }
    const std::string url = AddProxyCredentials(address, ProxyUserID, ProxyPassword);
    RemoteFile file = OpenRemoteFile(connection, url, localName);
    if (file.refused)
        return false;
    if (!file.request) {
        Report(usInternetFileNotFound, address);
        return false;
    }
    return ReceiveFile(file.request, targetDir + localName, file.expectedSize, compressed, expectedSha256,
                       sizeLimit);
}

TAutoUpdate::RemoteFile TAutoUpdate::OpenRemoteFile(HINTERNET connection, const std::string& address,
                                                    const std::string& localName)
{
    RemoteFile file;
    if (UpdateType == TAutoUpdateType::ftpUpdate) {
        if (!FTPDirectory.empty() && !ftpFolderEntered_) {
            FtpSetCurrentDirectoryW(connection, Widen(ExpandPrefixes(FTPDirectory)).c_str());
            ftpFolderEntered_ = true;
        }
        WIN32_FIND_DATAW found{};
        InternetHandle search(FtpFindFirstFileW(connection, Widen(localName).c_str(), &found, kFtpFindFlags, 0));
        file.expectedSize = search ? (static_cast<long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow : 0;
        search.Reset();
        file.request.Reset(
            FtpOpenFileW(connection, Widen(localName).c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
        return file;
    }
    DWORD flags = kHttpRequestFlags | (HTTPKeepAliveAuthentication ? INTERNET_FLAG_KEEP_CONNECTION : 0);
    OpenHttpAddress(connection, address, flags, RequestTimeoutMs, file.connection, file.request);
    if (!file.request)
        return file;
    DWORD status = QueryNumber(file.request.Get(), HTTP_QUERY_STATUS_CODE);
    if (status >= 300) {
        ReportStatus(usHttpStatus, std::to_string(status), 6, int(status));
        file.refused = true;
        file.request.Reset();
        return file;
    }
    file.expectedSize = QueryNumber(file.request.Get(), HTTP_QUERY_CONTENT_LENGTH);
    return file;
}

bool TAutoUpdate::ReceiveFile(InternetHandle& request, const std::string& target, long long expectedSize,
                              bool compressed, const std::optional<std::string>& expectedSha256, long long sizeLimit)
{
    TransferFile file(TransferFolder());
    if (!file.IsOpen())
        FailToWrite(TransferFolder());
    TransferDigest digest(expectedSha256);
    std::array<char, kReadBlock> block;
    long long total = 0;
    DWORD count = 0;
    bool failed = false, cancelled = false;
    do {
        if (!TransferGoesOn(total)) {
            failed = true;
            break;
        }
        // An FTP file is read as it stands; an HTTP reply as it arrives, so that the checks
        // between reads come while a server trickles.
        const bool read = UpdateType == TAutoUpdateType::ftpUpdate
                              ? InternetReadFile(request.Get(), block.data(), kReadBlock, &count)
                              : ReadArrived(request.Get(), block.data(), kReadBlock, count);
        if (!read || total + count > sizeLimit) {
            failed = true;
            break;
        }
        if (count > 0 && !file.Write(block.data(), count))
            FailToWrite(TransferFolder());
        digest.Add(block.data(), count);
        total += count;
        cancelled = ProgressCancelled(target, total, expectedSize);
    } while (count > 0 && !cancelled);
    // Closed before anything else happens on the connection (an FTP connection carries
    // one transfer at a time).
    request.Reset();
    file.Close();
    transferCancelled_ = cancelled;
    // An empty reply, a cut or oversized transfer or bytes other than the signed ones never
    // replace anything: the temporary file goes and the old target stays.
    if (failed || cancelled || total == 0 || !digest.Matches() || !VersionAllowsReplacing(file.Path(), target) ||
        !file.MoveTo(target))
        return false;
    FileArrived(target, compressed);
    return true;
}

// A cabinet marked compressed is left whole for its own step.
void TAutoUpdate::FileArrived(const std::string& path, bool compressed)
{
    NotifyFileDownloaded(path);
    if (compressed && ToUpper(ExtensionOf(path)) != ".CAB")
        ExpandLZFile(path);
}

bool TAutoUpdate::CopyLocalFile(const std::string& source, const std::string& target,
                                const std::optional<std::string>& expectedSha256, long long sizeLimit)
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
    TransferFile file(TransferFolder());
    if (!file.IsOpen())
        return false;
    TransferDigest digest(expectedSha256);
    std::vector<char> block(kCopyBlock);
    long long total = 0;
    bool failed = false, cancelled = false;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(input.Get(), block.data(), kCopyBlock, &read, nullptr) || total + read > sizeLimit ||
            !file.Write(block.data(), read)) {
            failed = true;
            break;
        }
        digest.Add(block.data(), read);
        total += read;
        cancelled = ProgressCancelled(source, total, length.QuadPart);
        if (read == 0 || cancelled)
            break;
        if (!TransferGoesOn(total)) {
            failed = true;
            break;
        }
    }
    input.Reset();
    file.Close();
    transferCancelled_ = cancelled;
    return !failed && !cancelled && digest.Matches() && VersionAllowsReplacing(file.Path(), target) &&
           file.MoveTo(target);
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
