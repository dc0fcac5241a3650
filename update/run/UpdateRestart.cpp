#include "AUpdate.h"

#include <windows.h>

#include <optional>
#include <string_view>

#include "AppPath.h"
#include "Application.h"
#include "Cabinet.h"
#include "Exception.h"
#include "FileIO.h"
#include "Processes.h"
#include "RestartStep.h"
#include "Text.h"
#include "UpdatePrompts.h"
#include "UpdateStatus.h"
#include "UpdaterCommandLine.h"

// Cabinets, patches and the restart through the updater program; on UpdateTransfers and
// UpdateState.

namespace {

// An RCDATA resource of the program's own module; nothing when it carries none.
std::optional<std::string_view> ProgramResource(const wchar_t* name)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, name, RT_RCDATA);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded)
        return std::nullopt;
    return std::string_view(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
}

// Updater folders of earlier updates. An updater can only ask the system to remove its own
// folder at the next start, which needs rights many users lack, so what is left goes here;
// the program file of an updater still running cannot be deleted, and its folder stays.
void RemoveEarlierUpdaterFolders(const std::wstring& temporary)
{
    WIN32_FIND_DATAW found{};
    FindHandle search(
        FindFirstFileW((temporary + std::wstring(kUpdaterFolderPrefix) + L"*").c_str(), &found));
    for (bool more = bool(search); more; more = FindNextFileW(search.Get(), &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const std::wstring folder = temporary + found.cFileName + L"\\";
        for (const wchar_t* name : {L"upd.exe", L"upd.ex_"})
            DeleteFileW((folder + name).c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

// A folder of the temporary folder made afresh for this run, so nobody can have put a
// library or a program into it before the updater runs from there.
std::wstring FreshUpdaterFolder()
{
    const std::wstring temporary = Widen(TAutoUpdate::TemporaryFolder());
    RemoveEarlierUpdaterFolders(temporary);
    const std::wstring stem = temporary + std::wstring(kUpdaterFolderPrefix) + std::to_wstring(GetCurrentProcessId());
    if (std::optional<std::wstring> folder = MakeFreshFolder(stem))
        return *folder + L"\\";
    throw Exception("Cannot create a folder for the updater in " + Narrow(temporary) + ": " +
                    SystemErrorMessage(GetLastError()));
}

} // namespace

int TAutoUpdate::ExtractCabinet(const std::string& cabinet, const std::string& targetDir)
{
    return UnpackCabinet(Widen(cabinet), Widen(targetDir));
}

bool TAutoUpdate::RunAndWait(const std::string& commandLine) { return RunCommandAndWait(Widen(commandLine)); }

void TAutoUpdate::WriteUpdaterProgram()
{
    const std::wstring folder = FreshUpdaterFolder();
    WriteFileAtomically(folder + L"upd.ex_", ProgramResource(L"UPD").value_or(""));
    ExpandLZFile(Narrow(folder + L"upd.ex_"));
    updaterProgram_ = Narrow(folder + L"upd.exe");
}

// Written only from a "UTIL" resource; this program carries none. It goes into the program
// folder, where the patch step and the updater run it by its full path.
void TAutoUpdate::WritePatcherProgram()
{
    const std::optional<std::string_view> patcher = ProgramResource(L"UTIL");
    if (!patcher)
        return;
    WriteFileAtomically(GetAppPath() + L"patcher.exe", *patcher);
}

// Hands the components over to the updater program and closes the application, unless the
// update repeats one the updater had to undo, or the application or the person declines. When
// the updater cannot be started, the program stays and nothing counts the hand-over, so the
// next start tries again.
void TAutoUpdate::RestartApplication()
{
    const std::wstring components = ExistingComponentPaths(run_.appComponents);
    if (RepeatsAnUndoneUpdate(components))
        return;
    bool cancel = false;
    if (OnProgressCancel)
        OnProgressCancel(*this, cancel);
    if (cancel)
        return;
    // Without a handler, a silent restart is allowed and any other is asked.
    bool allow = true;
    if (OnAppRestart)
        OnAppRestart(*this, allow);
    else if (!run_.silentRestart)
        allow = Confirmed(StatusText(usShutdownPrompt, ""));
    if (!allow)
        return;
    // Written before anything is kept pending: a failure here passes on with nothing counted.
    WriteUpdaterProgram();
    if (!KeepSerialPending(components))
        return;
    const std::wstring command =
        UpdaterCommandLine(Widen(updaterProgram_), GetCurrentProcessId(), Widen(run_.appCommand), components);
    UpdateEdge& edge = edge_;
    if (!edge.StartUpdater(command)) {
        const DWORD error = GetLastError();
        ReportStatus(usSpawnFailed, SystemErrorMessage(error), 9, int(error));
        RestorePendingSerial();
        return;
    }
    run_.result.Outcome = TUpdateRunOutcome::HandedOver;
    if (OnAppDoClose)
        OnAppDoClose(*this);
    else if (Application)
        Application->Terminate();
}
