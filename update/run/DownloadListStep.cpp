#include "DownloadListStep.h"

#include <algorithm>
#include <string_view>

#include "AsciiCase.h"
#include "Text.h"
#include "UpdatePaths.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

namespace {

// Cabinets and patches that belong to the running application are left to the updater.
void ProcessDownloadedFile(const TFileDescription& item, const std::string& localName,
                           const DownloadListOptions& options, DownloadListHost& host)
{
    const std::string path = item.TargetDir + localName;
    const bool component = IsComponentFile(options.AppComponents, localName);
    // A new program that is not newer than the one it would replace is dropped here, before
    // any restart is asked for.
    if (component && ComponentKindOf(Widen(path)) == ComponentKind::Replacement && !host.ReplacementAllowed(path)) {
        host.RemoveFile(path);
        return;
    }
    if (component)
        host.RestartNeeded();
    const std::string extension = ToUpper(ExtensionOf(localName));
    if (extension == ".CAB" && options.ExtractCAB && !component) {
        if (host.ExtractCabinet(path, item.TargetDir) == -1)
            host.ReportStatus(usCabError, path);
        else if (!options.KeepIntermediateFiles)
            host.RemoveFile(path);
    }
    if (extension == ".PAT" && options.ApplyPatch && !item.LocalVersion.empty() && !component) {
        host.RunAndWait(Narrow(PatcherCommand(Widen(localName), Widen(item.LocalVersion))));
        if (!options.KeepIntermediateFiles)
            host.RemoveFile(path);
    }
}

void DownloadListedFile(TFileList& list, int index, const DownloadListOptions& options, DownloadListHost& host)
{
    const TFileDescription item = list.Items[size_t(index)];
    std::string address = item.URL;
    const std::string localName = host.FileNameFromURL(item.URL);
    list.CurrentItem = index;
    host.BeforeDownload(index + 1, item.Description, address);
    if (!item.TargetDir.empty())
        host.MakeFolder(item.TargetDir);
    const bool digestMissing = options.AuthenticationRequired && item.Sha256.empty();
    std::optional<std::string> digest;
    if (options.AuthenticationRequired && !digestMissing)
        digest = item.Sha256;
    const bool refused = digestMissing || host.CannotReplaceIn(item.TargetDir);
    if (refused || !host.DownloadFile(address, item.Compressed, item.TargetDir, digest,
                                      TransferLimit(item, options.MaxTransferBytes))) {
        // A file refused for its version is no failure: the installed one is as new or newer.
        if (refused || !host.VersionRefused()) {
            host.ReportStatus(usCannotDownloadFile, address);
            host.FileFailed();
        }
        return;
    }
    ProcessDownloadedFile(item, localName, options, host);
}

} // namespace

void DownloadListedFiles(TFileList& list, const DownloadListOptions& options, DownloadListHost& host)
{
    TAutoUpdateUpdate mode = options.Prompting;
    for (size_t index = 0; index < list.Items.size() && !host.RunStopped(); ++index) {
        if (mode == TAutoUpdateUpdate::auuPromptOnce && !host.Confirmed(StatusText(usDownloadFilesPrompt, "")))
            break;
        if (mode != TAutoUpdateUpdate::auuPromptAll ||
            host.Confirmed(StatusText(usDownloadFilePrompt, "") + host.FileNameFromURL(list.Items[index].URL)))
            DownloadListedFile(list, int(index), options, host);
        if (mode == TAutoUpdateUpdate::auuPromptOnce)
            mode = TAutoUpdateUpdate::auuSilent;
    }
}

// A packed file (compressed, or a cabinet) may be larger than the file it gives, so only
// its stated transfer size bounds it; otherwise the size the entry names, which the
// transfer must match.
long long TransferLimit(const TFileDescription& item, long long maxTransferBytes)
{
    const bool packed = item.Compressed || ToUpper(ExtensionOf(item.URL)) == ".CAB";
    const long long stated = item.FileSize > 0 ? item.FileSize : packed ? 0 : item.NewSize;
    return stated > 0 ? std::min(stated, maxTransferBytes) : maxTransferBytes;
}

// The name counts only as a whole file name of the list: "good.cab" is not "notgood.cab".
bool IsComponentFile(const std::string& components, const std::string& localName)
{
    constexpr size_t npos = std::string::npos;
    const std::string list = ToUpper(components), name = ToUpper(localName);
    if (name.empty())
        return false;
    for (size_t at = list.find(name); at != npos; at = list.find(name, at + 1)) {
        const size_t end = at + name.size();
        const bool nameStarts = at == 0 || std::string_view("\\/ \"").find(list[at - 1]) != npos;
        const bool nameEnds = end == list.size() || std::string_view(" \"").find(list[end]) != npos;
        if (nameStarts && nameEnds)
            return true;
    }
    return false;
}
