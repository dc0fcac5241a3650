#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "Text.h"

namespace {

std::wstring PerUserFolder()
{
    wchar_t appData[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\Soriel online\\";
}

std::wstring ReadOnlyFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SORIEL_READONLY_FOLDER", path, MAX_PATH);
    return path;
}

const std::string kSecondLog = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\f0 Druh\\u253? z\\u225?znam\\par\r\n}\r\n";

} // namespace

// run-readonly.sh prepares the folder (main.exe, main.ini with Sound=0, a news.rtf) and makes
// it immutable.
TEST(DataFolder, ReadOnlyProgramFolderKeepsTheFilesPerUserAcrossRestarts)
{
    const std::wstring path = ReadOnlyFolder();
    ASSERT_FALSE(path.empty()) << "run this test through run-readonly.sh";
    const ProgramFolder folder(ProgramFolder::Prepared{path});
    const std::wstring userFolder = PerUserFolder();
    RemoveTree(userFolder);
    const auto originalLog = folder.Read(L"news.rtf");
    ASSERT_TRUE(originalLog);

    {
        RunningProgram program(folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        // The log is loaded after the sound option, once the window exists.
        EXPECT_TRUE(WaitUntil([&] { return program.LogText().find("Žluťoučký kůň") != std::string::npos; }, 10000))
            << "the old log, read once";
        EXPECT_FALSE(program.SoundChecked()) << "the old settings, read once";
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_TRUE(ReadWholeFile(userFolder + L"news.rtf"));
    EXPECT_EQ(ReadWholeFile(userFolder + L"main.ini"),
              "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\n[Settings]\r\nSound=0\r\n");
    EXPECT_EQ(folder.Read(L"news.rtf"), originalLog);

    // The next start reads the per-user files, not the old ones beside the program.
    WriteFileAtomically(userFolder + L"news.rtf", kSecondLog);
    {
        RunningProgram program(folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return program.LogText().find("Druhý záznam") != std::string::npos; }, 10000));
        EXPECT_EQ(program.LogText().find("Žluťoučký"), std::string::npos);
        ASSERT_TRUE(program.Exit());
    }
    RemoveTree(userFolder);
}
