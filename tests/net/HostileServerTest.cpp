#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FileIO.h"
#include "HTTPRequestFuncs.h"
#include "NewsPoller.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "Waiting.h"

namespace {

std::string NewsPage(const std::string& text)
{
    return "<table>\r\n<tr>\r\n       <td class=\"date\">12:00</td>\r\n<td>" + text + "</td>\r\n</tr>\r\n</table>\r\n";
}

ScriptedReply Reply(std::string body)
{
    ScriptedReply reply;
    reply.Body = std::move(body);
    return reply;
}

ScriptedReply Redirect(const std::string& location)
{
    ScriptedReply reply;
    reply.Status = 302;
    reply.Reason = "Found";
    reply.Headers = {"Location: " + location};
    return reply;
}

ScriptedReply Raw(std::string bytes, bool endless = false)
{
    ScriptedReply reply;
    reply.Raw = std::move(bytes);
    reply.EndlessAfterRaw = endless;
    return reply;
}

std::string BinaryGarbage()
{
    std::string bytes(8192, '\0');
    unsigned seed = 12345;
    for (char& byte : bytes) {
        seed = seed * 1103515245 + 12345;
        byte = char(seed >> 16);
    }
    return bytes;
}

// A news server gone bad, and the poll that meets it.
struct HostileCase {
    std::string name;
    ScriptedHttpServer server;
    std::shared_ptr<TLatestItemState> state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker;
    std::unique_ptr<TSR> abandoned;

    std::string NewsUrl() const { return server.Url("/index.php/zpravodajstvy"); }
};

// A page that must never be taken: it comes from where the poll must not go.
class LocalPage {
public:
    LocalPage()
    {
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, folder);
        path_ = folder + std::wstring(L"soriel-hostile-") + std::to_wstring(GetCurrentProcessId()) + L".html";
        WriteFileAtomically(path_, NewsPage("from a local file"));
    }
    ~LocalPage() { DeleteFileW(path_.c_str()); }
    std::string Url() const
    {
        std::string url = "file:///" + Narrow(path_);
        for (char& c : url)
            if (c == '\\')
                c = '/';
        return url;
    }

private:
    std::wstring path_;
};

} // namespace

TEST(HostileServer, EveryPollEndsInTimeTakesNothingBadAndTheNextGoodPageIsPickedUp)
{
    const LocalPage localPage;
    std::vector<std::unique_ptr<HostileCase>> cases;
    auto add = [&](std::string name, const std::function<ScriptedReply(const HostileCase&)>& reply) {
        auto hostile = std::make_unique<HostileCase>();
        hostile->name = std::move(name);
        hostile->server.SetReply(reply(*hostile));
        cases.push_back(std::move(hostile));
    };
    add("stall after the headers", [](const HostileCase&) {
        ScriptedReply reply = Reply(NewsPage("late"));
        reply.StallAfterHeadMs = 120000;
        return reply;
    });
    add("trickle", [](const HostileCase&) {
        ScriptedReply reply = Reply(NewsPage(std::string(2000, 't')));
        reply.TrickleBytes = 1;
        reply.TrickleDelayMs = 100;
        return reply;
    });
    add("reset mid-body", [](const HostileCase&) {
        ScriptedReply reply = Reply(NewsPage("cut") + std::string(5000, ' '));
        reply.CloseAfter = 1000;
        reply.Reset = true;
        return reply;
    });
    add("body past the size limit", [](const HostileCase&) {
        ScriptedReply reply = Reply(NewsPage("huge") + std::string(MaxReplySize, ' '));
        reply.SendContentLength = false;
        return reply;
    });
    add("gzip bomb", [](const HostileCase&) { return Reply(Gzip(NewsPage("bomb") + std::string(64 << 20, ' '))); });
    add("binary garbage", [](const HostileCase&) { return Raw(BinaryGarbage()); });
    add("endless header line", [](const HostileCase&) { return Raw("HTTP/1.0 200 OK\r\nX-Filler: ", true); });
    add("redirect loop", [](const HostileCase& self) { return Redirect(self.NewsUrl()); });
    add("redirect to a file", [&](const HostileCase&) { return Redirect(localPage.Url()); });
    add("redirect to ftp", [](const HostileCase& self) {
        return Redirect("ftp://127.0.0.1:" + std::to_string(self.server.Port()) + "/news.html");
    });
    add("1 GB length, short body", [](const HostileCase&) {
        ScriptedReply reply = Reply(NewsPage("short"));
        reply.Headers = {"Content-Length: 1073741824"};
        reply.SendContentLength = false;
        return reply;
    });

    auto pollAll = [&](unsigned timeoutMs) {
        for (auto& hostile : cases)
            StartPoll(hostile->worker, hostile->abandoned, hostile->state, hostile->NewsUrl());
        WaitUntil(
            [&] {
                for (auto& hostile : cases)
                    if (hostile->worker->Running())
                        return false;
                return true;
            },
            timeoutMs);
    };

    // All at once: every poll must end within one request's bounds (20 s for the whole
    // exchange, 5 s for each step), with room for a loaded machine.
    const ULONGLONG started = GetTickCount64();
    pollAll(45000);
    for (auto& hostile : cases) {
        EXPECT_FALSE(hostile->worker->Running()) << hostile->name << ": still running after "
                                                 << GetTickCount64() - started << " ms";
        EXPECT_EQ(hostile->state->Snapshot().LatestText, "") << hostile->name;
    }

    // The program keeps working: the next poll of each picks up a good page.
    for (auto& hostile : cases)
        hostile->server.SetReply(Reply(NewsPage("good after " + hostile->name)));
    pollAll(20000);
    for (auto& hostile : cases) {
        const LatestItem item = hostile->state->Snapshot();
        EXPECT_EQ(item.LatestText, "good after " + hostile->name);
        EXPECT_EQ(item.FetchStatus, 1) << hostile->name;
    }
}
