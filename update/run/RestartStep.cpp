#include "RestartStep.h"

#include <windows.h>

#include <optional>

#include "FileIO.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

namespace {

// A replacement ("_NEW") equal to one the updater had to undo, because the new program failed
// at once, is not tried again: the application would go round the same failure at every
// start. Such a copy is removed.
bool RepeatsAnUndoneUpdate(const std::wstring& componentPaths)
{
    bool repeats = false;
    for (const std::wstring& path : SplitArguments(componentPaths)) {
        if (ComponentKindOf(path) != ComponentKind::Replacement)
            continue;
        const std::optional<std::string> rejected = ReadWholeFile(path + std::wstring(kRejectedSuffix));
        if (rejected && rejected == ReadWholeFile(path)) {
            DeleteFileW(path.c_str());
            repeats = true;
        }
    }
    return repeats;
}

} // namespace

void RestartThroughUpdater(const RestartInput& input, RestartHost& host)
{
    const std::wstring components = QuotedComponentPaths(Widen(input.AppComponents), [](const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    if (RepeatsAnUndoneUpdate(components))
        return;
    if (host.ProgressCancelled() || !host.RestartAllowed(input.SilentRestart))
        return;
    const std::string updater = host.WriteUpdaterProgram();
    const std::wstring command =
        UpdaterCommandLine(Widen(updater), GetCurrentProcessId(), Widen(input.AppCommand), components);
    if (host.StartUpdater(command)) {
        host.StoreSerial();
    } else {
        const DWORD error = GetLastError();
        host.ReportStatus(usSpawnFailed, SystemErrorMessage(error), 9, int(error));
    }
    host.CloseApplication();
}
