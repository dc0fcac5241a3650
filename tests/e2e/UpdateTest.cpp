#include <gtest/gtest.h>

#include <map>

#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "UpdateSigner.h"

namespace {

const std::string kNewsPath = "/index.php/zpravodajstvy";
const std::string kDataFile = "Data delivered by the update.\r\n";
// sha256sum of kDataFile.
const std::string kDataSha256 = "6264c9661ffe5729feb2a1e8fcdd0bb1a86ccd5a66423c2325ea171b90f71259";

std::string ControlFile(const ScriptedHttpServer& server)
{
    return "[update]\r\ndate=02/01/2020\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url("/files/data.txt") +
           "\r\ntargetdir={APP}\\data\r\nsha256=" + kDataSha256 + "\r\n";
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

} // namespace

// A signed control file is taken at start-up: its data file lands in its folder, the maker
// is told, and news polling goes on as before. The same file with one byte changed is
// refused: nothing is downloaded.
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
        folder.Write(L"main.ini", Settings(server));
        RunningProgram program(folder);

        ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("updated") != std::string::npos; }, 20000));
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
