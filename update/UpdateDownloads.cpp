#include "AUpdate.h"

#include <algorithm>

#include "AppPath.h"
#include "Application.h"
#include "CommandLine.h"
#include "HTTPRequestFuncs.h"
#include "Text.h"
#include "UpdatePaths.h"
#include "UpdatePrompts.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

namespace {

constexpr DWORD kPostReadBlock = 4096;
// The reply is kept but never interpreted: a server cannot make it grow without end.
constexpr size_t kPostReplyLimit = 1 << 20;

bool FolderExists(const std::string& folder)
{
    DWORD attributes = GetFileAttributesW(Widen(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "host" or "host:port" into its parts; port 80 unless the text names one.
std::pair<std::string, INTERNET_PORT> ServerAndPort(const std::string& server)
{
    size_t colon = server.rfind(':');
    if (colon != std::string::npos) {
        std::string digits = server.substr(colon + 1);
        if (!digits.empty() && digits.size() <= 5 && digits.find_first_not_of("0123456789") == std::string::npos &&
            std::stoi(digits) <= 65535)
            return {server.substr(0, colon), INTERNET_PORT(std::stoi(digits))};
    }
    return {server, INTERNET_DEFAULT_HTTP_PORT};
}

// The most bytes an entry's transfer may bring: the size it names, where it names one the
// transfer must match. A packed file (compressed, or a cabinet) may be larger than the file
// it gives, so only its stated transfer size bounds it.
long long TransferLimit(const TFileDescription& item)
{
    const bool packed = item.Compressed || ToUpper(ExtensionOf(item.URL)) == ".CAB";
    const long long stated = item.FileSize > 0 ? item.FileSize : packed ? 0 : item.NewSize;
    return stated > 0 ? std::min(stated, TAutoUpdate::kMaxTransferBytes) : TAutoUpdate::kMaxTransferBytes;
}

std::wstring WithoutTrailingSeparator(std::wstring path)
{
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

// Whether files of the folder land in the running program's folder ("" is the current folder).
bool IsProgramFolder(const std::string& folder)
{
    const std::wstring given = Widen(folder.empty() ? "." : folder);
    const DWORD length = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(given.c_str(), length, full.data(), nullptr));
    const std::wstring target = WithoutTrailingSeparator(full), program = WithoutTrailingSeparator(GetAppPath());
    return CompareStringOrdinal(target.c_str(), int(target.size()), program.c_str(), int(program.size()), TRUE) ==
           CSTR_EQUAL;
}

} // namespace

int TAutoUpdate::DownloadFileList()
{
    TAutoUpdateUpdate mode = UpdateUpdate;
    for (size_t index = 0; index < FileList.Items.size() && !RunStopped(); ++index) {
        if (mode == TAutoUpdateUpdate::auuPromptOnce && !Confirmed(StatusText(usDownloadFilesPrompt, "")))
            break;
        if (mode != TAutoUpdateUpdate::auuPromptAll ||
            Confirmed(StatusText(usDownloadFilePrompt, "") + FileNameFromURL(FileList.Items[index].URL)))
            DownloadListedFile(int(index));
        if (mode == TAutoUpdateUpdate::auuPromptOnce)
            mode = TAutoUpdateUpdate::auuSilent;
    }
    return 0;
}

void TAutoUpdate::DownloadListedFile(int index)
{
    const TFileDescription item = FileList.Items[size_t(index)];
    std::string address = item.URL;
    const std::string localName = FileNameFromURL(item.URL);
    FileList.CurrentItem = index;
    if (OnBeforeFileDownload)
        OnBeforeFileDownload(*this, index + 1, item.Description, address);
    if (!item.TargetDir.empty() && !FolderExists(item.TargetDir))
        ForceFolder(item.TargetDir);
    // With a key, a file is taken only when its entry names the digest it must have.
    const bool digestMissing = Signed() && item.Sha256.empty();
    std::optional<std::string> digest;
    if (Signed() && !digestMissing)
        digest = item.Sha256;
    const bool cannotReplace = !ProgramFolderWritable && IsProgramFolder(item.TargetDir);
    versionRefused_ = false;
    if (digestMissing || cannotReplace ||
        !DownloadFile(ConnectionHandle(), address, item.Compressed, item.TargetDir, digest, TransferLimit(item))) {
        // A file refused for its version is no failure: the installed one is as new or newer.
        if (!versionRefused_) {
            Report(usCannotDownloadFile, address);
            fileFailed_ = true;
            appUpdate_ = false;
        }
        return;
    }
    ProcessDownloadedFile(item, localName);
}

// The name counts only as a whole file name of the list: "good.cab" is not "notgood.cab".
bool TAutoUpdate::IsComponentFile(const std::string& localName) const
{
    constexpr size_t npos = std::string::npos;
    const std::string components = ToUpper(appComponents_), name = ToUpper(localName);
    if (name.empty())
        return false;
    for (size_t at = components.find(name); at != npos; at = components.find(name, at + 1)) {
        const size_t end = at + name.size();
        const bool nameStarts = at == 0 || std::string_view("\\/ \"").find(components[at - 1]) != npos;
        const bool nameEnds = end == components.size() || std::string_view(" \"").find(components[end]) != npos;
        if (nameStarts && nameEnds)
            return true;
    }
    return false;
}

// Cabinets and patches that belong to the running application are left to the updater.
void TAutoUpdate::ProcessDownloadedFile(const TFileDescription& item, const std::string& localName)
{
    const std::string path = item.TargetDir + localName;
    const bool component = IsComponentFile(localName);
    // A new program that is not newer than the one it would replace is dropped here, before
    // any restart is asked for.
    if (component && ComponentKindOf(Widen(path)) == ComponentKind::Replacement &&
        !VersionAllowsReplacing(Widen(path), Narrow(ReplacedPath(Widen(path))))) {
        DeleteFileW(Widen(path).c_str());
        return;
    }
    if (component)
        restartNeeded_ = true;
    const std::string extension = ToUpper(ExtensionOf(localName));
    if (extension == ".CAB" && ExtractCAB && !component) {
        if (ExtractCabinet(path, item.TargetDir) == -1)
            Report(usCabError, path);
        else if (!KeepIntermediateFiles)
            DeleteFileW(Widen(path).c_str());
    }
    if (extension == ".PAT" && ApplyPatch && !item.LocalVersion.empty() && !component) {
        RunAndWait(Narrow(PatcherCommand(Widen(localName), Widen(item.LocalVersion))));
        if (!KeepIntermediateFiles)
            DeleteFileW(Widen(path).c_str());
    }
}

bool TAutoUpdate::ForceFolder(const std::string& folder)
{
    std::string path = folder;
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    if (path.size() < 3 || FolderExists(path))
        return true;
    size_t separator = path.find_last_of("\\/");
    std::string parent = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    bool parentMade = parent == path || ForceFolder(parent);
    return CreateDirectoryW(Widen(path).c_str(), nullptr) && parentMade;
}

void TAutoUpdate::RunPostActions()
{
    if (PostUpdateInfo.Enabled) {
        SendPostUpdateInfo();
        bool allowPostResult = true;
        if (OnProcessPostResult)
            OnProcessPostResult(*this, allowPostResult);
    }
    if (dateFromRegistry_)
        StoreLastUpdateDate(controlDate_);
    // Closed during the post: the files are in place, but nothing more is started.
    if (RunStopped())
        return;
    if (std::string updateURL = ControlValue("action", "updateURL"); !updateURL.empty()) {
        Report(usRedirectionInstruction);
        StoreLastURL(updateURL);
    }
    if (Utility && ApplyPatch)
        WritePatcherProgram();
    if (std::string runAfter = ExpandPrefixes(ControlValue("action", "runafter")); !runAfter.empty())
        StartCommandLine(runAfter);
    Report(usFinished);
}

void TAutoUpdate::SendPostUpdateInfo()
{
    if (!runUnderWay_)
        budget_.Reset(TransferLimits);
    if (PostUpdateInfo.Server.empty() || PostUpdateInfo.Action.empty() || RunStopped())
        return;
    const BudgetedTransfer budgeted(budget_, TransferBudget::Kind::Small, TickMs);
    InternetHandle session(InternetOpenW(L"TAutoUpdate", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return;
    auto [host, port] = ServerAndPort(PostUpdateInfo.Server);
    InternetHandle connection(
        InternetConnectW(session.Get(), Widen(host).c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        Report(usPostConnectFailed);
        return;
    }
    InternetHandle request(HttpOpenRequestW(connection.Get(), L"POST", Widen(PostUpdateInfo.Action).c_str(), nullptr,
                                            nullptr, nullptr, 0, 0));
    if (!request) {
        Report(usPostResourceFailed);
        return;
    }
    SetInternetTimeouts(request.Get(), RequestTimeoutMs);
    PostUpdateInfo.PostReply.clear();
    static const wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded";
    std::string body = PostUpdateInfo.Data;
    if (!HttpSendRequestW(request.Get(), kHeaders, DWORD(-1), body.data(), DWORD(body.size())))
        return;
    char block[kPostReadBlock];
    DWORD count = 0;
    do {
        if (!TransferGoesOn(static_cast<long long>(PostUpdateInfo.PostReply.size())) ||
            !ReadArrived(request.Get(), block, kPostReadBlock, count))
            break;
        PostUpdateInfo.PostReply.append(block, count);
    } while (count > 0 && PostUpdateInfo.PostReply.size() < kPostReplyLimit);
}
