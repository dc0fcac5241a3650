#include <gtest/gtest.h>

#include "FileIO.h"
#include "NewsPages.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

// The names of the program folder's files that start with the prefix.
std::vector<std::wstring> FilesStartingWith(const ProgramFolder& folder, const std::wstring& prefix)
{
    return FileNamesMatching(folder.File(prefix + L"*"));
}

bool LogBoxShown(const RunningProgram& program)
{
    HWND log = program.FindWindowOfClass(L"RICHEDIT50W", program.MainWindow());
    return log && (GetWindowLongW(log, GWL_STYLE) & WS_VISIBLE);
}

} // namespace

TEST(NewsLogFile, DamagedLogIsKeptAsideUnderANameThatSaysSoEveryTime)
{
    ScriptedHttpServer server;
    server.SetReply(Page("11:00", "nov%C3%A1"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    // Cut off; zero bytes; whole, but nested deeper than the box takes safely.
    const std::string damaged[] = {std::string("{\\rtf1\\ansi {\\fonttbl{\\f0 Tahoma;}} p\\'f8ed\\par ", 40),
                                   std::string("\0\0\0\0\0\0\0\0", 8),
                                   "{\\rtf1\\ansi " + std::string(100, '{') + "x" + std::string(100, '}') + "\\par}"};
    for (int run = 0; run < 3; ++run) {
        folder.Write(L"news.rtf", damaged[run]);
        RunningProgram program(folder);
        ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("nová") != std::string::npos; }, 15000));
        EXPECT_TRUE(program.LogText().starts_with("Záznam zpráv news.rtf nešel přečíst celý; je uschován jako "
                                                  "news.unreadable-"));
        ASSERT_TRUE(program.Exit());
        const auto aside = FilesStartingWith(folder, L"news.unreadable-");
        ASSERT_EQ(aside.size(), size_t(run + 1));
        bool kept = false;
        for (const std::wstring& name : aside)
            kept = kept || folder.Read(name) == damaged[run];
        EXPECT_TRUE(kept) << "run " << run;
        const auto saved = RichTextOf(folder.Read(L"news.rtf").value_or(""));
        ASSERT_TRUE(saved);
        EXPECT_EQ(Count(*saved, "nová"), 1u);
    }
}

TEST(NewsLogFile, LogHeldByAnotherProgramIsReadOnceFreedAndNothingIsLost)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:01", "first"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    // The page's item is in it already: logged while the file is held, it is not added twice.
    const std::string original =
        "{\\rtf1\\ansi old item\\par old text\\par\\par " + Today() + " 00:01\\par first\\par\\par\\par}";
    folder.Write(L"news.rtf", original);
    KernelHandle held(CreateFileW(folder.File(L"news.rtf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    RunningProgram program(folder);
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("first") != std::string::npos; }, 15000));
    EXPECT_NE(program.LogText().find("teď nejde otevřít"), std::string::npos);
    std::string bytes(original.size() + 16, '\0');
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(held.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr));
    EXPECT_EQ(bytes.substr(0, read), original);

    held.Reset();
    server.SetReply(Page("00:02", "second"));
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("second") != std::string::npos; }, 15000));
    ASSERT_TRUE(program.Exit());
    const auto saved = RichTextOf(folder.Read(L"news.rtf").value_or(""));
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, "old item\rold text\r\r" + Today() + " 00:01\rfirst\r\r" + Today() + " 00:02\rsecond\r\r");
}

TEST(NewsLogFile, AnnouncementAndCloseWhileTheBoxIsFillingKeepEveryItemInOrder)
{
    // At the bound: the announcement moves the oldest entries to the archive while the box
    // is still being filled. Long texts keep the box filling for a while.
    const int items = 2200;
    ScriptedHttpServer server;
    server.SetReply(Page("00:03", "fresh"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0", 1));
    folder.Write(L"news.rtf", LongNewsLog(items, 4000));

    RunningProgram program(folder);
    // Shown, the window starts filling the box.
    program.DoubleClickTrayIcon();
    ASSERT_TRUE(WaitUntil([&] { return !program.Popups().empty(); }, 15000));
    ASSERT_FALSE(LogBoxShown(program)) << "the box was filled before the announcement: nothing tested";
    ASSERT_TRUE(program.Exit());

    // Read as bytes: the old items are plain ASCII lines, and the new entry is ASCII too.
    // The oldest are in the archive, the rest and the entry in news.rtf, each once, in order.
    const std::string archive = folder.Read(L"news-archive.rtf").value_or("");
    const std::string saved = folder.Read(L"news.rtf").value_or("");
    const int moved = items + 1 - 2000;
    EXPECT_EQ(Count(archive, "Old item "), size_t(moved));
    EXPECT_NE(archive.find("Old item " + std::to_string(moved - 1) + "\\par"), std::string::npos);
    EXPECT_EQ(Count(saved, "Old item "), size_t(items - moved));
    EXPECT_NE(saved.find("Old item " + std::to_string(moved) + "\\par"), std::string::npos);
    const size_t lastOld = saved.find("Old item " + std::to_string(items - 1) + "\\par");
    const size_t entry = saved.find(Today() + " 00:03\\par");
    ASSERT_NE(lastOld, std::string::npos);
    ASSERT_NE(entry, std::string::npos);
    EXPECT_LT(lastOld, entry);
    EXPECT_NE(saved.find("fresh\\par", entry), std::string::npos);
    EXPECT_EQ(saved[saved.find_last_not_of('\0')], '}');
    EXPECT_EQ(archive.back(), '}');
}
