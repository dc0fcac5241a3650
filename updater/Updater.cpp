#include "Updater.h"

#include <windows.h>

#include "Cabinet.h"
#include "EntryPath.h"
#include "LzFile.h"
#include "Processes.h"
#include "ReplacedFiles.h"
#include "UpdaterCommandLine.h"
#include "VersionOrder.h"

namespace {

// How long a restarted program must run, or end well, before its update stands.
constexpr DWORD kProbationMs = 10000;

void WaitForProcessEnd(unsigned long processId)
{
    // A process that has ended already cannot be opened: then there is nothing to wait for.
    const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (process)
        WaitForSingleObject(process.Get(), INFINITE);
}

// programFolder: where the patch program lies and cabinets are extracted (ProgramFolderOf).
void ApplyComponent(const std::wstring& path, const std::wstring& programFolder, ReplacedFiles& replaced)
{
    switch (ComponentKindOf(path)) {
    case ComponentKind::Replacement:
        // Whoever left an older program here, it does not replace a newer one.
        if (CompareFileVersions(path, ReplacedPath(path)) == VersionOrder::Lower)
            DeleteFileW(path.c_str());
        else
            replaced.Replace(path, ReplacedPath(path));
        break;
    case ComponentKind::Patch:
        RunCommandAndWait(PatcherCommand(programFolder, path, PatchedProgramPath(path)));
        DeleteFileW(path.c_str());
        break;
    case ComponentKind::Cabinet:
        if (UnpackCabinet(path, programFolder) == 0)
            DeleteFileW(path.c_str());
        break;
    case ComponentKind::Compressed:
        ExpandLzFileBeside(path);
        break;
    }
}

bool ProvesItself(const KernelHandle& process)
{
    if (!process)
        return false;
    if (WaitForSingleObject(process.Get(), kProbationMs) == WAIT_TIMEOUT)
        return true;
    DWORD exitCode = 1;
    return GetExitCodeProcess(process.Get(), &exitCode) && exitCode == 0;
}

// Started as a process of its own rather than fire-and-forget, so that the updater can see
// whether the new program lives; a failing one gets the old files back and is started again.
void StartApplication(const std::wstring& command, ReplacedFiles& replaced)
{
    const KernelHandle process = StartCommand(command);
    if (!replaced.Any())
        return;
    if (ProvesItself(process)) {
        replaced.Discard();
        return;
    }
    replaced.Restore();
    StartCommand(command);
}

// A running program cannot delete its own file, so the removal waits for the next start of
// the system; that needs rights not every user has, and then the folder stays behind.
void RemoveOwnFolderLater()
{
    wchar_t own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::wstring program(own, length);
    const std::wstring folder(FolderPartOf(program));
    const std::wstring_view folderName = std::wstring_view(folder).substr(folder.find_last_of(L'\\') + 1);
    if (!folderName.starts_with(kUpdaterFolderPrefix))
        return;
    MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

void RunUpdater(std::wstring_view commandLine)
{
    const std::vector<std::wstring> arguments = SplitArguments(commandLine);
    const auto processId = arguments.size() > 1 ? ParseProcessId(arguments[1]) : std::nullopt;
    if (!processId)
        return;
    WaitForProcessEnd(*processId);
    ReplacedFiles replaced;
    for (size_t index = 3; index < arguments.size(); ++index)
        ApplyComponent(arguments[index], ProgramFolderOf(arguments[2], arguments[index]), replaced);
    if (arguments.size() > 2 && arguments[2] != L"null")
        StartApplication(WithQuotedProgram(arguments[2]), replaced);
    else
        replaced.Discard();
    RemoveOwnFolderLater();
}
