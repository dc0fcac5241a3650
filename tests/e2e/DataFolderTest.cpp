#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSigner.h"

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

// The fresh folders of update runs in the temporary folder.
bool RunFoldersLeft()
{
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temporary);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((std::wstring(temporary) + L"SorielRun-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
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
    EXPECT_EQ(ReadWholeFile(userFolder + L"news-archive.rtf"), folder.Read(L"news-archive.rtf")) << "old news comes along";

    // The next start reads the per-user files, not the old ones beside the program. Its update
    // run, which cannot keep its temporary files beside the program, keeps them in a folder
    // of its own and delivers a file all the same.
    WriteFileAtomically(userFolder + L"news.rtf", kSecondLog);
    ScriptedHttpServer server;
    ProgramFolder target(L"readonly update target");
    const std::string data = "data\r\n"; // sha256sum below
    const std::string control = "[update]\r\nserial=1\r\nexpires=2099-12-31\r\nunconditional=1\r\n"
                                "[files]\r\ncount=1\r\n[file1]\r\nurl=" +
                                server.Url("/data.txt") + "\r\ntargetdir=" + Narrow(target.Path()) +
                                "\r\nsha256=dfa40b427fe0a9437c7e7e1f9c0f740dbc4f1b18fffdde9d1e7309290026f1fc\r\n";
    server.SetHandler([&](const RecordedRequest& request) {
        const std::string body = request.Target == "/app1h.inf"       ? control
                                 : request.Target == "/app1h.inf.sig" ? SignControlFile(control)
                                                                      : data;
        return ScriptedReply{.Body = body};
    });
    WriteFileAtomically(userFolder + L"main.ini", "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\n"
                                                  "UpdateURL=" + server.Url("/app1h.inf") + "\r\n");
    {
        RunningProgram program(folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return program.LogText().find("Druhý záznam") != std::string::npos; }, 10000));
        EXPECT_EQ(program.LogText().find("Žluťoučký"), std::string::npos);
        EXPECT_TRUE(WaitUntil([&] { return target.Read(L"data.txt") == data; }, 10000)) << [&] {
            std::string targets;
            for (const RecordedRequest& request : server.Requests())
                targets += request.Target + " ";
            return targets;
        }();
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_FALSE(RunFoldersLeft());
    RemoveTree(userFolder);
}
