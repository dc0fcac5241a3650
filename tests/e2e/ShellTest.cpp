#include <gtest/gtest.h>

#include <vector>

#include "AppPath.h"
#include "MenuCommands.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

// The same RTF a rich-text box writes for a short Czech log.
const std::string kCzechLog =
    "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
    "\\viewkind4\\uc1\\pard\\b\\f0\\fs16 6.12.2026 14:35\\par\r\n"
    "\\u381?lu\\u357?ou\\u269?k\\u253? k\\u367?\\u328? \\u250?p\\u283?l\\par\r\n\\par\r\n}\r\n";

std::string Normalised(std::string text)
{
    std::string result;
    for (char c : text)
        if (c != '\r' && c != '\n')
            result += c;
    return result;
}

} // namespace

TEST(Shell, FirstStartWithoutFilesHasEmptyLogSoundOnAndCreatesBothFilesAtClose)
{
    ProgramFolder folder;
    RunningProgram program(folder);
    ASSERT_NE(program.MainWindow(), nullptr);
    EXPECT_EQ(program.LogText(), "");
    EXPECT_TRUE(program.SoundChecked());
    ASSERT_TRUE(program.Exit());

    auto ini = folder.Read(L"main.ini");
    ASSERT_TRUE(ini);
    EXPECT_EQ(*ini, "[Settings]\r\nSound=1\r\n");
    auto log = folder.Read(L"news.rtf");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->rfind("{\\rtf", 0), 0u);
    EXPECT_FALSE(folder.Exists(L"news.rtf.new"));
}

TEST(Shell, SoundOffAndForeignLinesSurviveARun)
{
    ProgramFolder folder;
    const std::string ini = "; my notes\r\n" + kQuietSources + "Extra = keep me\r\n\r\n[Settings]\r\nSound=0\r\nVolume=3\r\n";
    folder.Write(L"main.ini", ini);
    RunningProgram program(folder);
    ASSERT_NE(program.MainWindow(), nullptr);
    EXPECT_FALSE(program.SoundChecked());
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(folder.Read(L"main.ini"), ini);
}

TEST(Shell, SoundValuesAreReadAsWholeIntegersAndMissingOnesKeepTheBoxChecked)
{
    const std::string settings = kQuietSources + "[Settings]\r\n";
    const std::tuple<std::string, bool, std::string> cases[] = {
        {settings + "Sound=1\r\n", true, settings + "Sound=1\r\n"},
        {settings + "Sound=7\r\n", true, settings + "Sound=1\r\n"},
        {settings + "Sound=abc\r\n", true, settings + "Sound=1\r\n"},
        {settings + "Sound=0\r\n", false, settings + "Sound=0\r\n"},
        {settings + "Volume=0\r\n", true, settings + "Volume=0\r\nSound=1\r\n"},
        {kQuietSources, true, settings + "Sound=1\r\n"},
        // An editor's UTF-8 byte-order mark in front of the first section.
        {"\xEF\xBB\xBF[Settings]\r\nSound=0\r\n" + kQuietSources, false,
         "\xEF\xBB\xBF[Settings]\r\nSound=0\r\n" + kQuietSources},
    };
    for (const auto& [before, checked, after] : cases) {
        ProgramFolder folder;
        folder.Write(L"main.ini", before);
        RunningProgram program(folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        EXPECT_EQ(program.SoundChecked(), checked) << before;
        ASSERT_TRUE(program.Exit());
        EXPECT_EQ(folder.Read(L"main.ini"), after);
    }
}

TEST(Shell, LogIsSavedWhenTheSessionEnds)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    folder.Write(L"news.rtf", "Jen text\r\n");
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("Jen text") != std::string::npos; }, 10000));

    SendMessageW(main, WM_QUERYENDSESSION, 0, 0);
    SendMessageW(main, WM_ENDSESSION, TRUE, 0);
    auto saved = folder.Read(L"news.rtf");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->rfind("{\\rtf", 0), 0u);
    EXPECT_NE(saved->find("Jen text"), std::string::npos);
    EXPECT_EQ(folder.Read(L"main.ini"), kQuietSources + "[Settings]\r\nSound=1\r\n") << "the sound option is kept too";
}

TEST(Shell, ExistingLogIsShownAndSavedBackWithTheSameText)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    folder.Write(L"news.rtf", kCzechLog);
    std::string shown;
    {
        RunningProgram program(folder);
        ASSERT_NE(program.MainWindow(), nullptr);
        shown = program.LogText();
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_EQ(Normalised(shown), "6.12.2026 14:35Žluťoučký kůň úpěl");

    RunningProgram again(folder);
    ASSERT_NE(again.MainWindow(), nullptr);
    EXPECT_EQ(again.LogText(), shown);
    ASSERT_TRUE(again.Exit());
}

TEST(Shell, LogThatIsNotRichTextIsTakenAsPlainText)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    folder.Write(L"news.rtf", "První řádek\r\nDruhý řádek\r\n");
    RunningProgram program(folder);
    ASSERT_NE(program.MainWindow(), nullptr);
    EXPECT_EQ(Normalised(program.LogText()), "První řádekDruhý řádek");
    ASSERT_TRUE(program.Exit());
    auto saved = folder.Read(L"news.rtf");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->rfind("{\\rtf", 0), 0u);
}

TEST(Shell, FilesAreFoundBesideTheProgramWhateverTheCurrentFolder)
{
    ProgramFolder folder(L"Soriel program – žluťoučký kůň");
    ProgramFolder elsewhere(L"jinde");
    folder.Write(L"main.ini", kQuietSources + "[Settings]\r\nSound=0\r\n");
    elsewhere.Write(L"main.ini", "[Settings]\r\nSound=1\r\n");
    RunningProgram program(folder, {.currentFolder = elsewhere.Path()});
    ASSERT_NE(program.MainWindow(), nullptr);
    EXPECT_FALSE(program.SoundChecked());
    ASSERT_TRUE(program.Exit());
    EXPECT_TRUE(folder.Exists(L"news.rtf"));
    EXPECT_FALSE(elsewhere.Exists(L"news.rtf"));
    EXPECT_EQ(elsewhere.Read(L"main.ini"), "[Settings]\r\nSound=1\r\n");
}

TEST(Shell, UnwritableSettingsAreReportedButTheProgramStillClosesAndSavesTheLog)
{
    ProgramFolder folder;
    folder.Write(L"main.ini", kQuietSources);
    // A folder where the file's replacement would go makes the write fail.
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"main.ini.new").c_str(), nullptr));
    RunningProgram program(folder);
    ASSERT_NE(program.MainWindow(), nullptr);
    program.SendCommand(cmdExit);

    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = program.FindWindowOfClass(L"#32770")) != nullptr; }, 10000));
    EXPECT_EQ(Narrow(program.WindowText(box)), "Soriel online");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitForExit(15000));
    EXPECT_TRUE(folder.Exists(L"news.rtf"));
    EXPECT_EQ(folder.Read(L"main.ini"), kQuietSources);
}

TEST(Shell, ManifestsAreEmbeddedAndAcceptedByTheSystem)
{
    struct Case {
        const wchar_t* program;
        std::vector<const char*> parts;
    };
    const Case cases[] = {
        {L"main.exe",
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
          ">true</longPathAware>", ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}},
        // Named "upd", the updater would be taken for an installer without its own manifest.
        {L"upd.exe", {"level=\"asInvoker\"", ">true</longPathAware>", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.program));
        const std::wstring program = GetAppPath() + c.program;
        ModuleHandle module(
            LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module);
        HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_NE(resource, nullptr);
        const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module.Get(), resource))),
                                   SizeofResource(module.Get(), resource));
        for (const char* part : c.parts)
            EXPECT_NE(manifest.find(part), std::string::npos) << part;

        // The system's own parser builds an activation context from it.
        ACTCTXW context{sizeof(context)};
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = program.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE activation = CreateActCtxW(&context);
        ASSERT_NE(activation, INVALID_HANDLE_VALUE) << GetLastError();
        ReleaseActCtx(activation);
    }
}

TEST(Shell, LibrariesPlantedBesideTheProgramAreNeverLoaded)
{
    // System libraries the program uses that the system does not keep loaded for everyone.
    const std::wstring names[] = {L"version.dll", L"wininet.dll", L"winmm.dll", L"comctl32.dll", L"msftedit.dll", L"bcrypt.dll", L"urlmon.dll"};
    ProgramFolder folder;
    for (const std::wstring& name : names)
        ASSERT_TRUE(CopyFileW((GetAppPath() + L"planted_library.dll").c_str(), folder.File(name).c_str(), FALSE));
    ScriptedHttpServer server;
    ScriptedReply page;
    page.Body = "<table>\r\n<tr>\r\n       <td class=\"date\">06:00</td>\r\n<td>planted</td>\r\n</tr>\r\n";
    server.SetReply(page);
    folder.Write(L"main.ini", "[Sources]\r\nNewsURL=" + server.Url("/") + "\r\n[Settings]\r\nSound=1\r\n");

    // Wine prefers its own libraries; told to prefer files on disk, it searches as Windows does.
    RunningProgram program(folder, {.dllOverrides = L"version,wininet,winmm,comctl32,msftedit,bcrypt,urlmon=n,b;mscoree,mshtml="});
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    // The version in the caption, the news in the log and its sound: every library has been used.
    EXPECT_TRUE(WaitUntil([&] { return program.WindowText(main).size() > std::wstring(L"Soriel online ").size(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return program.LogText().find("planted") != std::string::npos; }, 15000));
    ASSERT_TRUE(program.Exit());
    for (const std::wstring& name : names)
        EXPECT_FALSE(folder.Exists(name + L".planted-library-loaded")) << Narrow(name);
}
