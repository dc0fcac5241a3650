#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <set>

#include "FileIO.h"
#include "MenuCommands.h"

#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "UpdateSigner.h"

namespace {

const std::string kNewsPath = "/index.php/zpravodajstvy";
const std::string kDataFile = "Data delivered by the update.\r\n";
// sha256sum of kDataFile.
const std::string kDataSha256 = "6264c9661ffe5729feb2a1e8fcdd0bb1a86ccd5a66423c2325ea171b90f71259";

std::string ControlFile(const ScriptedHttpServer& server, const std::string& path = "/files/data.txt",
                        const std::string& sha256 = kDataSha256)
{
    return "[update]\r\nserial=1\r\nexpires=2099-12-31\r\ndate=02/01/2020\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url(path) +
           "\r\ntargetdir={APP}\\data\r\nsha256=" + sha256 + "\r\n";
}

std::string Settings(const ScriptedHttpServer& server)
{
    return "[Sources]\r\nNewsURL=" + server.Url(kNewsPath) + "\r\nUpdateURL=" + server.Url("/update/app1h.inf") +
           "\r\nMakerURL=" + server.Url("/") + "\r\nPollSeconds=2\r\n[Settings]\r\nSound=0\r\n";
}

ScriptedReply Served(const std::map<std::string, std::string>& files, const RecordedRequest& request)
{
    ScriptedReply reply;
    if (request.Target == kNewsPath) {
        reply.Body =
            "<table>\r\n<tr>\r\n       <td class=\"date\">10:15</td>\r\n<td>updated</td>\r\n</tr>\r\n</table>\r\n";
        return reply;
    }
    auto found = files.find(request.Target);
    reply.Status = found == files.end() ? 404 : 200;
    reply.Body = found == files.end() ? "" : found->second;
    return reply;
}

std::vector<std::string> Targets(const ScriptedHttpServer& server)
{
    std::vector<std::string> targets;
    for (const RecordedRequest& request : server.Requests())
        targets.push_back(request.Target);
    return targets;
}

size_t IndexOf(const std::vector<std::string>& targets, const std::string& target)
{
    return size_t(std::find(targets.begin(), targets.end(), target) - targets.begin());
}

bool Requested(const ScriptedHttpServer& server, const std::string& target)
{
    const auto targets = Targets(server);
    return IndexOf(targets, target) < targets.size();
}

// The names in a folder, subfolders included by their own names.
std::set<std::wstring> Names(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..")
            names.insert(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// A signed control file is taken at start-up: its data file lands in its folder, the maker
// is told, and news polling goes on as before. The same file with one byte changed is
// refused: nothing is downloaded. Started from another folder (as the logon's Run value
// does), the program writes nothing there: {APP} and the temporary files are its own folder.
TEST(Update, SignedControlFileDeliversItsFileAndAChangedOneNothing)
{
    for (bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "one byte changed" : "signed");
        ScriptedHttpServer server;
        const std::string control = ControlFile(server);
        std::string served = control;
        if (changed)
            served[served.find("count=1")] = 'C';
        const std::map<std::string, std::string> files = {{"/update/app1h.inf", served},
                                                          {"/update/app1h.inf.sig", SignControlFile(control)},
                                                          {"/files/data.txt", kDataFile},
                                                          {"/asp/autoupdate.asp", "thanks"}};
        server.SetHandler([&](const RecordedRequest& request) { return Served(files, request); });
        ProgramFolder folder;
        ProgramFolder elsewhere(L"jinde");
        const std::set<std::wstring> before = Names(elsewhere.Path());
        folder.Write(L"main.ini", Settings(server));
        RunningProgram program(folder, {.currentFolder = elsewhere.Path()});

        ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("updated") != std::string::npos; }, 20000));
        EXPECT_EQ(Names(elsewhere.Path()), before);
        const std::vector<std::string> targets = Targets(server);
        EXPECT_EQ(IndexOf(targets, "/update/app1h.inf"), 0u);
        if (changed) {
            EXPECT_EQ(IndexOf(targets, "/files/data.txt"), targets.size());
            EXPECT_FALSE(folder.Exists(L"data"));
        } else {
            EXPECT_LT(IndexOf(targets, "/files/data.txt"), IndexOf(targets, kNewsPath));
            EXPECT_EQ(folder.Read(L"data\\data.txt"), kDataFile);
            auto post = server.Requests()[IndexOf(targets, "/asp/autoupdate.asp")];
            EXPECT_EQ(post.Body, "program=Soriel%20online&version=" PROJECT_VERSION_TEXT);
        }
        ASSERT_TRUE(program.Exit());
    }
}

// An update server that accepts and never answers holds start-up only for its time-outs:
// the tray icon is there at once and the first poll follows.
TEST(Update, SilentUpdateServerDelaysTheFirstPollOnlyBriefly)
{
    ScriptedHttpServer server;
    server.SetHandler([](const RecordedRequest& request) {
        ScriptedReply reply;
        if (request.Target != kNewsPath)
            reply.StallMs = 120000;
        return reply;
    });
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server));
    RunningProgram program(folder);
    EXPECT_TRUE(WaitUntil([&] { return program.FindWindowOfClass(L"SorielTrayIcon") != nullptr; }, 5000));
    ASSERT_TRUE(WaitUntil(
        [&] {
            auto targets = Targets(server);
            return IndexOf(targets, kNewsPath) < targets.size();
        },
        35000));
    ASSERT_TRUE(program.Exit());
}

// An update server that trickles its control file, one byte every 3 s, holds start-up only
// for the run's 30 s: the first poll follows within 40 s of the start. "Konec" during the
// trickle ends the program and leaves no temporary file. The close is seen between two
// reads of the trickle, so it waits for the next byte (3 s) at most, and then for the
// program's own end (a few seconds under Wine on a loaded machine, as after any "Konec").
TEST(Update, TricklingUpdateServerHoldsStartUpOnlyForTheRunsAllowance)
{
    for (bool closeDuringTrickle : {false, true}) {
        SCOPED_TRACE(closeDuringTrickle ? "Konec during the trickle" : "first poll");
        ScriptedHttpServer server;
        server.SetHandler([](const RecordedRequest& request) {
            ScriptedReply reply;
            reply.Body = request.Target == kNewsPath ? "<tr>\r\n       <td class=\"date\">10:15</td>\r\n<td>x</td>\r\n</tr>\n"
                                                     : std::string(200, ';');
            if (request.Target != kNewsPath) {
                reply.TrickleBytes = 1;
                reply.TrickleDelayMs = 3000;
            }
            return reply;
        });
        ProgramFolder folder;
        folder.Write(L"main.ini", Settings(server));
        const std::set<std::wstring> before = Names(folder.Path());
        const auto started = std::chrono::steady_clock::now();
        RunningProgram program(folder);
        if (!closeDuringTrickle) {
            ASSERT_TRUE(WaitUntil([&] { return Requested(server, kNewsPath); }, 60000));
            const long long firstPoll = MillisecondsSince(started);
            std::cout << "first poll with a trickling update server: " << firstPoll << " ms after the start\n";
            EXPECT_LT(firstPoll, 40000);
            EXPECT_FALSE(Requested(server, "/update/app1h.inf.sig"));
            const auto asked = std::chrono::steady_clock::now();
            ASSERT_TRUE(program.Exit());
            std::cout << "\"Konec\" after start-up: ended " << MillisecondsSince(asked) << " ms after the request\n";
            continue;
        }
        ASSERT_TRUE(WaitUntil([&] { return Requested(server, "/update/app1h.inf"); }, 20000));
        ASSERT_NE(program.MainWindow(), nullptr);
        const auto asked = std::chrono::steady_clock::now();
        program.SendCommand(cmdExit);
        EXPECT_TRUE(program.WaitForExit(10000));
        std::cout << "\"Konec\" during the trickle: ended " << MillisecondsSince(asked) << " ms after the request\n";
        EXPECT_EQ(Names(folder.Path()), before);
        EXPECT_FALSE(Requested(server, kNewsPath));
    }
}

// A second copy hands over to the first before any update step: it asks for no control file.
TEST(Update, SecondCopyAsksForNoControlFile)
{
    ScriptedHttpServer server;
    server.SetHandler([](const RecordedRequest& request) { return Served({}, request); });
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server));
    RunningProgram first(folder);
    ASSERT_TRUE(WaitUntil([&] { return Requested(server, kNewsPath); }, 20000));
    RunningProgram second(folder, {.asSecondCopy = true});
    EXPECT_TRUE(second.WaitForExit(10000));
    const std::vector<std::string> targets = Targets(server);
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "/update/app1h.inf"), 1);
    ASSERT_TRUE(first.Exit());
}

// Behind a download that would take minutes (1.2 MB at 8 KiB/s) the first poll comes once the
// run's transfers have had their 50 s; what arrived is kept for the next start, nothing is put
// in place and the maker is not told.
TEST(Update, SlowDownloadHoldsTheFirstPollAtMostAMinute)
{
    std::string large(1200 * 1024, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 4096);
    const std::string sha256 = Sha256Hex(large);
    ScriptedHttpServer server;
    const std::string address = server.Url("/files/large.bin");
    RemoveHeldDownload(address, sha256);
    const std::string control = ControlFile(server, "/files/large.bin", sha256);
    const std::map<std::string, std::string> files = {{"/update/app1h.inf", control},
                                                      {"/update/app1h.inf.sig", SignControlFile(control)},
                                                      {"/files/large.bin", large}};
    server.SetHandler([&](const RecordedRequest& request) {
        ScriptedReply reply = Served(files, request);
        if (request.Target == "/files/large.bin") {
            reply.Headers.push_back("ETag: \"large-1\"");
            reply.TrickleBytes = 1024;
            reply.TrickleDelayMs = 125;
        }
        return reply;
    });
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server));
    const auto started = std::chrono::steady_clock::now();
    RunningProgram program(folder);
    ASSERT_TRUE(WaitUntil([&] { return Requested(server, kNewsPath); }, 90000));
    const long long firstPoll = MillisecondsSince(started);
    std::cout << "first poll behind a slow download: " << firstPoll << " ms after the start\n";
    // The promise: the news within a minute of the start, the program's own start under Wine
    // included.
    EXPECT_LT(firstPoll, 60000);
    EXPECT_TRUE(Requested(server, "/files/large.bin"));
    EXPECT_FALSE(Requested(server, "/asp/autoupdate.asp"));
    EXPECT_FALSE(folder.Exists(L"data\\large.bin"));
    const std::optional<std::string> kept = ReadWholeFile(HeldDownloadPath(address, sha256));
    ASSERT_TRUE(kept && !kept->empty()) << "what arrived was not kept";
    EXPECT_TRUE(large.starts_with(*kept));
    ASSERT_TRUE(program.Exit());
    RemoveHeldDownload(address, sha256);
}
