#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "HTTPRequestFuncs.h"
#include "HostileReplies.h"
#include "NewsPoller.h"
#include "ScriptedHttpServer.h"
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

// A news server gone bad, and the poll that meets it.
struct HostileCase {
    std::string name;
    ScriptedHttpServer server;
    std::shared_ptr<TLatestItemState> state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker;
    std::unique_ptr<TSR> abandoned;

    std::string NewsUrl() const { return server.Url("/index.php/zpravodajstvy"); }
};

} // namespace

TEST(HostileServer, EveryPollEndsInTimeTakesNothingBadAndTheNextGoodPageIsPickedUp)
{
    // Every hostile reply carries a page that must never be taken, or leads to it.
    const std::string hostilePage = NewsPage("from a hostile server");
    const LocalFile localPage(hostilePage);
    std::vector<std::unique_ptr<HostileCase>> cases;
    for (const HostileReply& hostile : HostileReplies()) {
        if (hostile.errorStatus)
            continue;
        auto poll = std::make_unique<HostileCase>();
        poll->name = hostile.name;
        poll->server.SetReply(
            hostile.make({poll->NewsUrl(), poll->server.Port(), hostilePage, MaxReplySize, localPage.Url()}));
        cases.push_back(std::move(poll));
    }

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
