#include "AUpdate.h"

#include "AppPath.h"
#include "CommandLine.h"
#include "DownloadListStep.h"
#include "FileChecks.h"
#include "PartialDownload.h"
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
    const DownloadListOptions options{.Prompting = UpdateUpdate,
                                      .AuthenticationRequired = AuthenticationRequired(),
                                      .ExtractCAB = ExtractCAB,
                                      .ApplyPatch = ApplyPatch,
                                      .KeepIntermediateFiles = KeepIntermediateFiles,
                                      .AppComponents = run_.appComponents,
                                      .MaxTransferBytes = kMaxTransferBytes};
    std::vector<std::string> offered;
    for (const TFileDescription& item : FileList.Items)
        if (const std::optional<std::string> sha256 = PlanDownload(item, options).ExpectedSha256)
            offered.push_back(*sha256);
    RemovePartialDownloadsExcept(Widen(TemporaryFolder()), offered);
    // Asks as Prompting says (once for all, or for each file) until the run is stopped.
    TAutoUpdateUpdate mode = options.Prompting;
    for (size_t index = 0; index < FileList.Items.size() && !RunStopped(); ++index) {
        if (mode == TAutoUpdateUpdate::auuPromptOnce && !Confirmed(StatusText(usDownloadFilesPrompt, "")))
            break;
        if (mode != TAutoUpdateUpdate::auuPromptAll ||
            Confirmed(StatusText(usDownloadFilePrompt, "") + FileNameFromURL(FileList.Items[index].URL)))
            DownloadListedFile(int(index), options);
        if (mode == TAutoUpdateUpdate::auuPromptOnce)
            mode = TAutoUpdateUpdate::auuSilent;
    }
    return 0;
}

void TAutoUpdate::DownloadListedFile(int index, const DownloadListOptions& options)
{
    const TFileDescription item = FileList.Items[size_t(index)];
    std::string address = item.URL;
    const std::string localName = FileNameFromURL(item.URL);
    FileList.CurrentItem = index;
    if (OnBeforeFileDownload)
        OnBeforeFileDownload(*this, index + 1, item.Description, address);
    if (!item.TargetDir.empty() && !FolderExists(item.TargetDir))
        ForceFolder(item.TargetDir);
    const DownloadPlan plan = PlanDownload(item, options);
    const bool refused = plan.Refused || (!ProgramFolderWritable && IsProgramFolder(item.TargetDir));
    const std::string path = item.TargetDir + localName;
    const std::wstring widePath = Widen(path);
    const ArrivedFilePlan arrived = PlanArrivedFile(item, localName, options);
    // A new program the updater had to undo is not taken again; one an earlier run left
    // waiting for the updater (closed before the restart) has arrived already. Known by the
    // digest of an authenticated update: its serial waits as pending, which also bounds how
    // often the same files are handed to the updater.
    const auto holdsOffered = [&plan](const std::string& file) {
        return plan.ExpectedSha256 && FileSha256(file) == *plan.ExpectedSha256;
    };
    if (arrived.CheckReplacement && holdsOffered(path + Narrow(kRejectedSuffix)))
        return;
    const bool waiting = arrived.CheckReplacement && holdsOffered(path);
    run_.versionRefused = false;
    if (refused || (!waiting && !DownloadFile(ConnectionHandle(), address, item.Compressed, item.TargetDir,
                                              plan.ExpectedSha256, plan.SizeLimit))) {
        // A file refused for its version is no failure: the installed one is as new or newer.
        if (refused || !run_.versionRefused) {
            Report(usCannotDownloadFile, address);
            run_.fileFailed = true;
            // The application is not restarted for this update.
            run_.appUpdate = false;
        }
        return;
    }
    // A new program that is not newer than the one it would replace is dropped here, before
    // any restart is asked for.
    if (arrived.CheckReplacement && !VersionAllowsReplacing(widePath, Narrow(ReplacedPath(widePath)))) {
        DeleteFileW(widePath.c_str());
        return;
    }
    if (arrived.Component)
        run_.restartNeeded = true;
    if (arrived.ExtractCabinet) {
        if (ExtractCabinet(path, item.TargetDir) == -1)
            Report(usCabError, path);
        else if (!options.KeepIntermediateFiles)
            DeleteFileW(widePath.c_str());
    }
    if (arrived.ApplyPatch) {
        RunAndWait(Narrow(PatcherCommand(GetAppPath(), widePath, Widen(item.LocalVersion))));
        if (!options.KeepIntermediateFiles)
            DeleteFileW(widePath.c_str());
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
    if (run_.dateFromRegistry)
        StoreLastUpdateDate(run_.controlDate);
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
