#include "AUpdate.h"

#include <array>

#include "ControlSerial.h"
#include "FileChecks.h"
#include "PendingSerialRule.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

// The serial of a restart run, kept beside the last serial carried out until the updater has
// put its files in place; on UpdateRegistry and UpdateState.

namespace {

constexpr const char* kPendingSerial = "PendingSerial";
constexpr const char* kPendingFiles = "PendingFiles";
constexpr const char* kPendingHandOvers = "PendingHandOvers";
constexpr std::array<const char*, 3> kPendingEntries = {kPendingSerial, kPendingFiles, kPendingHandOvers};

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A "_NEW" file is checked by its digest in the place it takes; a cabinet or patch only by
// being gone; an LZ file stays where it is after expansion, so nothing of it can be checked.
std::vector<PendingFile> FilesToCheck(const std::wstring& componentPaths)
{
    std::vector<PendingFile> files;
    for (const std::wstring& path : SplitArguments(componentPaths)) {
        switch (ComponentKindOf(path)) {
        case ComponentKind::Replacement:
            files.push_back({Narrow(path), FileSha256(Narrow(path)).value_or("")});
            break;
        case ComponentKind::Patch:
        case ComponentKind::Cabinet:
            files.push_back({Narrow(path), ""});
            break;
        case ComponentKind::Compressed:
            break;
        }
    }
    return files;
}

PendingCheck Found(const PendingFile& file)
{
    const bool replacement = ComponentKindOf(Widen(file.Path)) == ComponentKind::Replacement;
    return {.Expected = file.Sha256,
            .ComponentLeft = Exists(file.Path),
            .TargetSha256 = replacement ? FileSha256(Narrow(ReplacedPath(Widen(file.Path)))) : std::nullopt};
}

} // namespace

bool TAutoUpdate::KeepSerialPending(const std::wstring& componentPaths)
{
    if (!run_.serial || LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return true;
    UpdateEdge& edge = edge_;
    std::array<std::string, 3> before;
    for (size_t entry = 0; entry < kPendingEntries.size(); ++entry)
        before[entry] = edge.ReadUserEntry(RegistryPath(), kPendingEntries[entry]).value_or("");
    const std::string files = PendingFilesText(FilesToCheck(componentPaths));
    const std::optional<unsigned long long> handOver = NextHandOver(before[1], ParseSerial(before[2]).value_or(0), files);
    if (!handOver) {
        Report(usHandOverRefused, Narrow(componentPaths));
        return false;
    }
    run_.pendingBefore = before;
    edge.WriteUserEntry(RegistryPath(), kPendingSerial, std::to_string(*run_.serial));
    edge.WriteUserEntry(RegistryPath(), kPendingFiles, files);
    edge.WriteUserEntry(RegistryPath(), kPendingHandOvers, std::to_string(*handOver));
    return true;
}

void TAutoUpdate::RestorePendingSerial()
{
    if (!run_.pendingBefore)
        return;
    UpdateEdge& edge = edge_;
    for (size_t entry = 0; entry < kPendingEntries.size(); ++entry)
        edge.WriteUserEntry(RegistryPath(), kPendingEntries[entry], (*run_.pendingBefore)[entry]);
}

std::optional<unsigned long long> TAutoUpdate::PendingSerial()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return std::nullopt;
    UpdateEdge& edge = edge_;
    return ParseSerial(edge.ReadUserEntry(RegistryPath(), kPendingSerial).value_or(""));
}

void TAutoUpdate::SettlePendingSerial()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return;
    UpdateEdge& edge = edge_;
    const std::string pendingText = edge.ReadUserEntry(RegistryPath(), kPendingSerial).value_or("");
    const std::optional<unsigned long long> pending = ParseSerial(pendingText);
    std::vector<PendingCheck> checks;
    for (const PendingFile& file : ParsePendingFiles(edge.ReadUserEntry(RegistryPath(), kPendingFiles).value_or("")))
        checks.push_back(Found(file));
    // A stored value that is not a serial counts as absent here too; storing mends it.
    const std::optional<std::string> stored = LastSerial();
    switch (SettlePending(pending, stored ? ParseSerial(*stored) : std::nullopt, checks)) {
    case PendingOutcome::None:
    case PendingOutcome::Wait:
        return;
    case PendingOutcome::Store:
        edge.WriteUserEntry(RegistryPath(), "LastSerial", pendingText);
        break;
    case PendingOutcome::Drop:
        Report(usPendingUpdateDropped, pendingText);
        break;
    }
    for (const char* name : kPendingEntries)
        edge.WriteUserEntry(RegistryPath(), name, "");
}
