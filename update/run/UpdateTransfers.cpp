#include "AUpdate.h"

#include <utility>

#include "Application.h"
#include "Exception.h"
#include "FileIO.h"
#include "FileTransferStep.h"
#include "InternetSession.h"
#include "SystemLibrary.h"
#include "Text.h"
#include "TransferFile.h"
#include "UpdateStatus.h"
#include "VersionOrder.h"
#include "WebTransfer.h"

// The run's session, its transfers wired to FileTransferStep, and the post to the maker's
// server; on UpdateState.

namespace {

// The reply is kept but never interpreted: a server cannot make it grow without end.
constexpr size_t kPostReplyLimit = 1 << 20;

} // namespace

TInternetConnectionFunctions WinInetConnectionFunctions() { return {InternetConnected, DialInternet, HangUpInternet}; }

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
        run_.dialled = true;
    }
    Report(usFoundConnection);
    session_ = OpenSession("AutoUpdate", Proxy, RequestTimeoutMs);
    if (!session_) {
        Report(usCannotOpenConnection);
        return 2;
    }
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
        if (run_.dialled && (UpdateConnect == TAutoUpdateConnect::aucConnectPromptHangup ||
                         UpdateConnect == TAutoUpdateConnect::aucConnectSilentHangup)) {
            ConnectionFunctions.HangUp();
            Report(usHangup);
        }
        Report(usClosedConnection);
        wininet_.Reset();
    }
    if (!run_.controlFilePath.empty())
        DeleteFileW(Widen(run_.controlFilePath).c_str());
    run_.controlFilePath.clear();
    controlText_.clear();
    runOpen_ = false;
    return 0;
}

int TAutoUpdate::ConnectFtpHost()
{
    Report(usConnectToHost, Host);
    ftpConnection_ = ConnectFtpServer(session_.Get(), {.host = Host,
                                                       .port = static_cast<unsigned short>(Port),
                                                       .user = UserID,
                                                       .password = Password,
                                                       .passive = FTPPassive});
    return ftpConnection_ ? 0 : -1;
}

void TAutoUpdate::ReportInternetError()
{
    const std::optional<InternetFailure> failure = LastInternetFailure();
    if (!failure)
        return;
    if (OnStatus)
        OnStatus(*this, failure->text, 1, int(failure->code));
    else
        MessageBoxW(nullptr, Widen(failure->text).c_str(), Widen(Application ? Application->Title() : "").c_str(),
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
    return WithProxyCredentials(address, user, password);
}

void TAutoUpdate::NotifyFileDownloaded(const std::string& path)
{
    if (OnFileDownloaded)
        OnFileDownloaded(*this, path);
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

bool TAutoUpdate::VersionAllowsReplacing(const std::wstring& candidate, const std::string& target)
{
    switch (CompareFileVersions(candidate, Widen(target))) {
    case VersionOrder::Lower:
        Report(usOlderVersionRefused, target);
        run_.versionRefused = true;
        return false;
    case VersionOrder::Equal:
        run_.versionRefused = true;
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
    UpdateEdge& edge = edge_;
    return RunFileTransferStep({.Address = address,
                                .Compressed = compressed,
                                .TargetDir = targetDir,
                                .ExpectedSha256 = expectedSha256,
                                .SizeLimit = sizeLimit,
                                .Kind = kind,
                                .Carrier = UpdateType,
                                .Connection = connection,
                                .ProxyUser = ProxyUserID,
                                .ProxyPassword = ProxyPassword,
                                .KeepConnection = HTTPKeepAliveAuthentication,
                                .RequestTimeoutMs = RequestTimeoutMs,
                                .FtpFolder = FTPDirectory,
                                .FtpFolderEntered = run_.ftpFolderEntered,
                                .TransferFolder = TransferFolder(),
                                .PartialFolder = TemporaryFolder(),
                                .StopReported = run_.stopReported,
                                .Budget = budget_},
                               {.FileNameFromURL = [this](const std::string& name) { return FileNameFromURL(name); },
                                .ExpandPrefixes = [this](const std::string& value) { return ExpandPrefixes(value); },
                                .ProgressCancelled =
                                    [this](const std::string& name, uint64_t total, uint64_t expected) {
                                        return ProgressCancelled(name, static_cast<long long>(total),
                                                                 static_cast<long long>(expected));
                                    },
                                .VersionAllowsReplacing =
                                    [this](const std::wstring& candidate, const std::string& target) {
                                        return VersionAllowsReplacing(candidate, target);
                                    },
                                .FileDownloaded = [this](const std::string& path) { NotifyFileDownloaded(path); }},
                               edge);
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

void TAutoUpdate::ExpandLZFile(const std::string& path) { ExpandLzFileInPlace(path); }

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
                                        .whileWaiting = [this] { PumpMessages(); }},
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
        else if (error.Failure() == TransferFailure::Stopped) {
            UpdateEdge& edge = edge_;
            ReportTransferFailure(error, PostUpdateInfo.Server, run_.stopReported, edge);
        }
    }
}
