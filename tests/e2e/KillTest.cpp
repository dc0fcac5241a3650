// Kills main.exe at random moments around announcements, and after each kill checks that
// every item seen announced is in news.rtf and that news.rtf and main.ini read back whole.
// SORIEL_KILLS sets the number of kills (tools/killtest.sh runs a hundred).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "MenuCommands.h"
#include "NewsPages.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

int Kills()
{
    const char* kills = std::getenv("SORIEL_KILLS");
    return kills && std::atoi(kills) > 0 ? std::atoi(kills) : 10;
}

// The item's row: all in one minute up to 00:10, which is today's on any clock, each item
// a text of its own.
ScriptedReply ItemPage(int item) { return Page("00:01", "item%20" + std::to_string(item)); }

std::string LoggedText(int item) { return "item " + std::to_string(item) + "\r"; }

} // namespace

TEST(Kill, EveryAnnouncedItemSurvivesAKillAtAnyMoment)
{
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    ScriptedHttpServer server;
    ProgramFolder folder;
    const std::string settings = Settings(server, "0", 1);
    folder.Write(L"main.ini", settings);

    int item = 0;
    std::set<std::string> announced;
    std::string lastSeen;
    for (int kill = 0; kill < Kills(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        server.SetReply(ItemPage(++item));
        RunningProgram program(folder);
        // The next start holds every item announced before.
        const std::string atStart = program.LogText();
        for (const std::string& line : announced)
            ASSERT_NE(atStart.find(line), std::string::npos) << line;

        // New items now and then, until the kill: in the middle of a tick, a save, a close.
        const ULONGLONG killAt = GetTickCount64() + std::uniform_int_distribution<ULONGLONG>(300, 5000)(random);
        const bool closeFirst = random() % 3 == 0;
        while (GetTickCount64() < killAt) {
            if (random() % 4 == 0)
                server.SetReply(ItemPage(++item));
            const std::string log = program.LogText();
            for (int seen = 1; seen <= item; ++seen)
                if (log.find(LoggedText(seen)) != std::string::npos)
                    announced.insert(LoggedText(seen));
            lastSeen = log;
            Sleep(std::uniform_int_distribution<DWORD>(0, 200)(random));
        }
        if (closeFirst) {
            program.SendCommand(cmdExit);
            Sleep(std::uniform_int_distribution<DWORD>(0, 300)(random));
        }
        program.Kill();

        const auto log = folder.Read(L"news.rtf");
        if (!announced.empty()) {
            ASSERT_TRUE(log);
            const auto text = RichTextOf(*log);
            ASSERT_TRUE(text) << "news.rtf does not read back whole";
            for (const std::string& line : announced)
                EXPECT_NE(text->find(line), std::string::npos) << line << "\nseen:\n" << lastSeen << "\nsaved:\n" << *text;
        }
        const auto ini = folder.Read(L"main.ini");
        ASSERT_TRUE(ini);
        EXPECT_TRUE(*ini == settings) << *ini;
    }
    std::printf("%zu items announced, all found after every kill\n", announced.size());
    EXPECT_GT(announced.size(), 0u);
}
