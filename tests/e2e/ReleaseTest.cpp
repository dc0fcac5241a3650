#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "Text.h"

// What tools/release.sh published is what a running copy takes: run-release.sh publishes the
// next version into a folder served on loopback; main.exe of this build finds it there,
// updates itself and comes back as that version, with the published program and library.
namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return std::wstring(value, length < 1024 ? length : 0);
}

TEST(Release, ARunningCopyUpdatesItselfFromThePublishedFolder)
{
    const std::wstring published = Environment(L"SORIEL_RELEASE_FOLDER"); // ends with a backslash
    const std::string controlFile = Narrow(Environment(L"SORIEL_RELEASE_CONTROL_FILE"));
    ASSERT_FALSE(published.empty() || controlFile.empty()) << "run this test through run-release.sh";
    const std::optional<std::string> newProgram = ReadWholeFile(published + L"main.exe_NEW");
    const std::optional<std::string> newLibrary = ReadWholeFile(published + L"orcoredll.dll_NEW");
    ASSERT_TRUE(newProgram && newLibrary);

    ProgramFolder folder(L"soriel release");
    ASSERT_TRUE(folder.Read(L"main.exe") != newProgram) << "the published program is the one that runs";
    folder.Write(L"main.ini", "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\nUpdateURL=" + controlFile +
                                  "\r\nMakerURL=http://127.0.0.1:9/\r\n");
    RunningProgram old(folder);
    ASSERT_TRUE(old.WaitForExit(60000)) << "the running copy did not end for the update";

    RestartedProgram after = WaitForRestartedProgram(folder, 60000);
    ASSERT_TRUE(after.window) << "no program came back";
    const std::wstring expected = L"Soriel online " + Environment(L"SORIEL_RELEASE_VERSION");
    EXPECT_TRUE(WaitUntil([&] { return after.program->WindowText(after.window) == expected; }, 30000))
        << Narrow(after.program->WindowText(after.window));
    EXPECT_TRUE(folder.Read(L"main.exe") == newProgram) << "main.exe is not the published one";
    EXPECT_TRUE(folder.Read(L"orcoredll.dll") == newLibrary) << "orcoredll.dll is not the published one";
    EXPECT_TRUE(WaitUntil([&] { return !folder.Exists(L"main.exe.old"); }, 30000)) << "the new program did not settle";
    EXPECT_TRUE(after.program->Exit());
}

} // namespace
