#include "AUpdate.h"

#include "AppPath.h"
#include "CommandLine.h"
#include "DownloadListStep.h"
#include "Text.h"
#include "UpdatePrompts.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

// The download list and the post actions, wired to the component; on UpdateRestart,
// UpdateTransfers and UpdateState.

namespace {

bool FolderExists(const std::string& folder)
{
    DWORD attributes = GetFileAttributesW(Widen(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    struct Host : DownloadListHost {
        explicit Host(TAutoUpdate& update) : update(update) {}
        TAutoUpdate& update;

        void ReportStatus(int id, const std::string& param) override { update.Report(id, param); }
        bool RunStopped() override { return update.RunStopped(); }
        bool Confirmed(const std::string& question) override { return ::Confirmed(question); }
        std::string FileNameFromURL(const std::string& address) override { return update.FileNameFromURL(address); }
        void BeforeDownload(int fileNumber, const std::string& description, std::string& address) override
        {
            if (update.OnBeforeFileDownload)
                update.OnBeforeFileDownload(update, fileNumber, description, address);
        }
        void MakeFolder(const std::string& folder) override
        {
            if (!FolderExists(folder))
                update.ForceFolder(folder);
        }
        bool CannotReplaceIn(const std::string& folder) override
        {
            return !update.ProgramFolderWritable && IsProgramFolder(folder);
        }
        bool DownloadFile(const std::string& address, bool compressed, const std::string& targetDir,
                          const std::optional<std::string>& expectedSha256, long long sizeLimit) override
        {
            update.versionRefused_ = false;
            return update.DownloadFile(update.ConnectionHandle(), address, compressed, targetDir, expectedSha256,
                                       sizeLimit);
        }
        bool VersionRefused() override { return update.versionRefused_; }
        void FileFailed() override
        {
            update.fileFailed_ = true;
            update.appUpdate_ = false;
        }
        bool ReplacementAllowed(const std::string& path) override
        {
            return update.VersionAllowsReplacing(Widen(path), Narrow(ReplacedPath(Widen(path))));
        }
        void RestartNeeded() override { update.restartNeeded_ = true; }
        int ExtractCabinet(const std::string& cabinet, const std::string& targetDir) override
        {
            return update.ExtractCabinet(cabinet, targetDir);
        }
        void RunAndWait(const std::string& commandLine) override { update.RunAndWait(commandLine); }
        void RemoveFile(const std::string& path) override { DeleteFileW(Widen(path).c_str()); }
    } host(*this);
    DownloadListedFiles(FileList,
                        {.Prompting = UpdateUpdate,
                         .AuthenticationRequired = AuthenticationRequired(),
                         .ExtractCAB = ExtractCAB,
                         .ApplyPatch = ApplyPatch,
                         .KeepIntermediateFiles = KeepIntermediateFiles,
                         .AppComponents = appComponents_,
                         .MaxTransferBytes = kMaxTransferBytes},
                        host);
    return 0;
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

// The post and the date first; after a close during the post the files are in place, but
// nothing more is started. Then the new address, the patcher, runafter and the end status.
void TAutoUpdate::RunPostActions()
{
    const std::string updateURL = ControlValue("action", "updateURL");
    const std::string runAfter = ControlValue("action", "runafter");
    if (PostUpdateInfo.Enabled) {
        SendPostUpdateInfo();
        bool allowPostResult = true;
        if (OnProcessPostResult)
            OnProcessPostResult(*this, allowPostResult);
    }
    if (dateFromRegistry_)
        StoreLastUpdateDate(controlDate_);
    if (RunStopped())
        return;
    if (!updateURL.empty()) {
        Report(usRedirectionInstruction);
        StoreLastURL(updateURL);
    }
    if (Utility && ApplyPatch)
        WritePatcherProgram();
    // Expanded even when empty: the application's prefix handler sees every value.
    if (const std::string command = ExpandPrefixes(runAfter); !command.empty())
        StartCommandLine(command);
    Report(usFinished);
}
