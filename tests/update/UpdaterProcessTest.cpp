#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "AppPath.h"
#include "ArchiveFiles.h"
#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "Text.h"
#include "UpdaterCommandLine.h"
#include "Waiting.h"
#include "Win32Handle.h"

// The real updater program as main.exe starts it, with the stand-in programs of
// UpdaterProbe.cpp as the application, the patcher and the process it waits for.
namespace {

std::wstring Built(const wchar_t* name) { return GetAppPath() + name; }

std::string Bytes(const std::wstring& path) { return ReadWholeFile(path).value_or("(missing)"); }

KernelHandle Start(const std::wstring& commandLine, const std::wstring& currentFolder = {})
{
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    std::wstring writable = commandLine;
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process))
        return {};
    CloseHandle(process.hThread);
    return KernelHandle(process.hProcess);
}

KernelHandle StartUpdater(const std::wstring& arguments, const std::wstring& currentFolder)
{
    return Start(QuotedIfBlank(Built(L"upd.exe")) + L" " + arguments, currentFolder);
}

bool Ended(const KernelHandle& process, unsigned timeoutMs)
{
    return WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

KernelHandle StartSleeper() { return Start(QuotedIfBlank(Built(L"steady_probe.exe")) + L" sleep"); }

// The id of a process that has come and gone.
DWORD EndedProcessId()
{
    const KernelHandle sleeper = StartSleeper();
    const DWORD id = GetProcessId(sleeper.Get());
    TerminateProcess(sleeper.Get(), 0);
    Ended(sleeper, 5000);
    return id;
}

void CopyInto(const ProgramFolder& folder, const std::wstring& source, const wchar_t* name)
{
    ASSERT_TRUE(CopyFileW(source.c_str(), folder.File(name).c_str(), FALSE)) << Narrow(source);
}

std::wstring Quoted(const ProgramFolder& folder, const wchar_t* name) { return QuotedIfBlank(folder.File(name)); }

// Started from another current folder: the patcher and the cabinet's files are still the
// program folder's (with "null", the components' folder).
TEST(Updater, WaitsForTheProgramThenHandlesEachKindOfComponent)
{
    ProgramFolder folder(L"upd kinds");
    const std::wstring elsewhere = folder.File(L"elsewhere\\");
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    folder.Write(L"data.dat", "old data");
    folder.Write(L"data.dat_NEW", "new data");
    folder.Write(L"fix.PAT", "patch");
    CopyInto(folder, Built(L"steady_probe.exe"), L"patcher.exe");
    CopyInto(folder, ArchiveFile(L"good.cab"), L"pack.cab");
    CopyInto(folder, ArchiveFile(L"c.tx_"), L"c.tx_");
    CopyInto(folder, ArchiveFile(L"plain.tx_"), L"plain.tx_");
    const KernelHandle program = StartSleeper();
    ASSERT_TRUE(program);
    const KernelHandle updater = StartUpdater(
        std::to_wstring(GetProcessId(program.Get())) + L" null " + Quoted(folder, L"data.dat_NEW") + L" " +
            Quoted(folder, L"fix.PAT") + L" " + Quoted(folder, L"pack.cab") + L" " + Quoted(folder, L"c.tx_") +
            L" " + Quoted(folder, L"plain.tx_"),
        elsewhere);
    ASSERT_TRUE(updater);

    EXPECT_FALSE(Ended(updater, 1000)) << "the updater did not wait for the program";
    EXPECT_EQ(folder.Read(L"data.dat"), "old data");
    TerminateProcess(program.Get(), 0);
    ASSERT_TRUE(Ended(updater, 20000));

    EXPECT_EQ(folder.Read(L"data.dat"), "new data");
    EXPECT_FALSE(folder.Exists(L"data.dat_NEW"));
    EXPECT_FALSE(folder.Exists(L"data.dat.old")); // nothing to restart, so nothing to go back to
    // The patcher's is the only run: "null" starts nothing.
    EXPECT_EQ(folder.Read(L"marks.txt"),
              "steady " + Narrow(folder.File(L"fix.PAT")) + " " + Narrow(folder.File(L"fix.EXE")) + "\r\n");
    EXPECT_FALSE(folder.Exists(L"fix.PAT"));
    EXPECT_EQ(folder.Read(L"sub\\deep\\b.txt"), "two folders down\r\n");
    EXPECT_EQ(folder.Read(L"a.txt"), "top level\r\n");
    EXPECT_FALSE(folder.Exists(L"pack.cab"));
    EXPECT_FALSE(folder.Exists(L"elsewhere\\a.txt"));
    EXPECT_EQ(folder.Read(L"c.txt"), Bytes(ArchiveFile(L"c.txt")));
    EXPECT_TRUE(folder.Exists(L"c.tx_"));
    EXPECT_EQ(folder.Read(L"plain.tx_"), "not compressed at all\r\n");
    EXPECT_FALSE(folder.Exists(L"plain.txt"));
}

TEST(Updater, DoesNothingAtAllWithoutAProcessNumber)
{
    ProgramFolder folder(L"upd no number");
    CopyInto(folder, Built(L"steady_probe.exe"), L"app.exe");
    folder.Write(L"data.dat_NEW", "new data");
    for (const wchar_t* first : {L"", L"abc", L"12x"}) {
        const KernelHandle updater = StartUpdater(
            std::wstring(first) + L" " + Quoted(folder, L"app.exe") + L" " + Quoted(folder, L"data.dat_NEW"),
            folder.Path());
        ASSERT_TRUE(Ended(updater, 10000)) << Narrow(first);
    }
    EXPECT_TRUE(folder.Exists(L"data.dat_NEW"));
    EXPECT_FALSE(folder.Exists(L"data.dat"));
    EXPECT_FALSE(folder.Exists(L"marks.txt"));
}

TEST(Updater, KeepsANewProgramThatRunsAndBringsTheOldOneBackWhenTheNewOneFails)
{
    const struct {
        const wchar_t* oldProgram;
        const wchar_t* newProgram;
        std::string runs;
        int listings = 1;
    } cases[] = {
        {L"failing_probe.exe", L"steady_probe.exe", "steady\r\n"},
        {L"steady_probe.exe", L"failing_probe.exe", "failing\r\nsteady\r\n"},
        {L"steady_probe.exe", L"failing_probe.exe", "failing\r\nsteady\r\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.newProgram) + " listed " + std::to_string(c.listings) + " times");
        ProgramFolder folder(L"upd restart");
        CopyInto(folder, Built(c.oldProgram), L"app.exe");
        CopyInto(folder, Built(c.newProgram), L"app.exe_NEW");
        folder.Write(L"app.exe_NEW.rejected", "a new program that failed an earlier time");
        std::wstring arguments = std::to_wstring(EndedProcessId()) + L" " + Quoted(folder, L"app.exe");
        for (int listing = 0; listing < c.listings; ++listing)
            arguments += L" " + Quoted(folder, L"app.exe_NEW");
        const KernelHandle updater = StartUpdater(arguments, folder.Path());
        ASSERT_TRUE(Ended(updater, 20000));
        EXPECT_TRUE(WaitUntil([&] { return folder.Read(L"marks.txt") == c.runs; }, 5000)) << *folder.Read(L"marks.txt");
        EXPECT_TRUE(folder.Read(L"app.exe") == Bytes(Built(L"steady_probe.exe"))) << "app.exe is not the one that runs";
        EXPECT_FALSE(folder.Exists(L"app.exe.old"));
        EXPECT_FALSE(folder.Exists(L"app.exe_NEW"));
        // A failed new program stays as the rejected copy; a working one clears earlier ones.
        const bool failed = std::wstring(c.newProgram) == L"failing_probe.exe";
        EXPECT_TRUE(folder.Read(L"app.exe_NEW.rejected") ==
                    (failed ? std::optional(Bytes(Built(L"failing_probe.exe"))) : std::nullopt));
    }
}

// Whoever left an older program as the new one, the updater does not put it in place: 3.1.0
// stays out, 3.1.1 stays in.
TEST(Updater, RefusesANewProgramOlderThanTheOneItWouldReplace)
{
    ProgramFolder folder(L"upd older");
    CopyInto(folder, Built(L"main_next.exe"), L"app.exe");
    CopyInto(folder, Built(L"main.exe"), L"app.exe_NEW");
    const KernelHandle updater =
        StartUpdater(std::to_wstring(EndedProcessId()) + L" null " + Quoted(folder, L"app.exe_NEW"), folder.Path());
    ASSERT_TRUE(Ended(updater, 20000));
    EXPECT_TRUE(folder.Read(L"app.exe") == Bytes(Built(L"main_next.exe"))) << "app.exe is not 3.1.1 any more";
    EXPECT_FALSE(folder.Exists(L"app.exe_NEW"));
    EXPECT_FALSE(folder.Exists(L"app.exe.old"));
}

} // namespace
