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

// The top row's text of the page read last; empty before any.
std::string TopText(const LatestItem& item) { return item.Rows ? item.Rows->front().text : std::string(); }

ScriptedReply Reply(std::string body, std::vector<std::string> headers = {})
{
    ScriptedReply reply;
    reply.Body = std::move(body);
    reply.Headers = std::move(headers);
    return reply;
}

// A server that answers any conditional request with a 304, as an honest one does to "*" or
// to a date later than its page's (and a wrong one to anything); else with the page.
ScriptedReply AnswersConditionalsWith304(const RecordedRequest& request, const std::string& text)
{
    if (request.Header("If-None-Match").empty() && request.Header("If-Modified-Since").empty())
        return Reply(NewsPage(text));
    ScriptedReply notModified;
    notModified.Status = 304;
    notModified.Reason = "Not Modified";
    return notModified;
}

void PollAndWait(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
                 const std::shared_ptr<TLatestItemState>& state, const std::string& url,
                 const std::shared_ptr<TPollMemory>& memory = nullptr)
{
    StartPoll(worker, abandoned, state, url, PollGiveUpAfterMs, memory);
    ASSERT_TRUE(worker);
    worker->WaitFor();
}

// A news server gone bad, and the poll that meets it.
struct HostileCase {
    std::string name;
    bool garbage = false;
    std::vector<std::unique_ptr<ScriptedHttpServer>> servers; // where the reply leads
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
        poll->garbage = hostile.garbage;
        poll->server.SetReply(hostile.make({poll->NewsUrl(), poll->server.Port(), hostilePage, MaxNewsPageSize,
                                            localPage.Url(), NewsRequestTimeLimitMs, &poll->servers}));
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
        const LatestItem item = hostile->state->Snapshot();
        EXPECT_EQ(TopText(item), "") << hostile->name;
        // Garbage may read as a reply of HTTP/0.9: nothing tells it from a page without items.
        if (!hostile->garbage) {
            EXPECT_EQ(item.FetchStatus, 2) << hostile->name << ": a failed poll shows as failed";
        }
    }

    // The program keeps working: the next poll of each picks up a good page.
    for (auto& hostile : cases)
        hostile->server.SetReply(Reply(NewsPage("good after " + hostile->name)));
    pollAll(20000);
    for (auto& hostile : cases) {
        const LatestItem item = hostile->state->Snapshot();
        EXPECT_EQ(TopText(item), "good after " + hostile->name);
        EXPECT_EQ(item.FetchStatus, 1) << hostile->name;
    }
}

// A first reply whose validators would silence the polls, or that a redirection carries to
// another address; the next item, on a server that answers every conditional request with
// a 304, must still arrive at the next poll.
TEST(HostileServer, NoValidatorHoldsTheNextItemBack)
{
    using ReplyAt = ScriptedReply (*)(int poll, const RecordedRequest& request, const std::string& elsewhere);
    struct ValidatorCase {
        const char* name;
        ReplyAt news;
        ReplyAt elsewhere; // the other server, at the address handed to news
    };
    const ReplyAt unused = [](int, const RecordedRequest&, const std::string&) { return ScriptedReply{.Status = 404}; };
    const ValidatorCase cases[] = {
        {"ETag: *",
         [](int poll, const RecordedRequest& request, const std::string&) {
             return poll == 0 ? Reply(NewsPage("first"), {"ETag: *"}) : AnswersConditionalsWith304(request, "second");
         },
         unused},
        {"Last-Modified in 9999",
         [](int poll, const RecordedRequest& request, const std::string&) {
             return poll == 0 ? Reply(NewsPage("first"), {"Last-Modified: Fri, 31 Dec 9999 23:59:59 GMT"})
                              : AnswersConditionalsWith304(request, "second");
         },
         unused},
        {"validators of a redirected page",
         [](int poll, const RecordedRequest& request, const std::string& elsewhere) {
             return poll == 0 ? Redirect(elsewhere) : AnswersConditionalsWith304(request, "second");
         },
         [](int, const RecordedRequest&, const std::string&) { return Reply(NewsPage("first"), {"ETag: \"a\""}); }},
        {"validators carried by a redirection",
         [](int poll, const RecordedRequest&, const std::string& elsewhere) {
             return poll == 0 ? Reply(NewsPage("first"), {"ETag: \"a\""}) : Redirect(elsewhere);
         },
         [](int, const RecordedRequest& request, const std::string&) {
             return AnswersConditionalsWith304(request, "second");
         }},
    };
    for (const ValidatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer news, other;
        const std::string elsewhere = other.Url("/news");
        int polls = 0;
        news.SetHandler([&](const RecordedRequest& request) { return c.news(polls, request, elsewhere); });
        other.SetHandler([&](const RecordedRequest& request) { return c.elsewhere(polls, request, elsewhere); });
        const auto state = std::make_shared<TLatestItemState>();
        const auto memory = std::make_shared<TPollMemory>(30000);
        std::unique_ptr<TSR> worker, abandoned;
        const std::string url = news.Url("/index.php/zpravodajstvy");
        PollAndWait(worker, abandoned, state, url, memory);
        EXPECT_EQ(TopText(state->Snapshot()), "first");
        for (polls = 1; polls < 3; ++polls) {
            PollAndWait(worker, abandoned, state, url, memory);
            EXPECT_EQ(TopText(state->Snapshot()), "second") << "poll " << polls;
            EXPECT_EQ(state->Snapshot().FetchStatus, 1);
        }
    }
}

// Under Wine a send given up on goes on while its server trickles the head: nine polls give
// up on such a server, and a poll of another server is still taken.
TEST(HostileServer, ServerThatHoldsGivenUpSendsCannotStopThePollsOfAnother)
{
    ScriptedHttpServer trickling, good;
    trickling.SetReply(TrickledHead());
    good.SetReply(Reply(NewsPage("from another server")));
    struct Poll {
        std::shared_ptr<TLatestItemState> state = std::make_shared<TLatestItemState>();
        std::unique_ptr<TSR> worker, abandoned;
    };
    std::vector<Poll> polls(9);
    for (Poll& poll : polls)
        StartPoll(poll.worker, poll.abandoned, poll.state, trickling.Url("/index.php/zpravodajstvy"));
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (Poll& poll : polls)
                if (poll.worker->Running())
                    return false;
            return true;
        },
        45000));
    for (Poll& poll : polls)
        EXPECT_EQ(poll.state->Snapshot().FetchStatus, 2);

    Poll other;
    PollAndWait(other.worker, other.abandoned, other.state, good.Url("/index.php/zpravodajstvy"));
    EXPECT_EQ(TopText(other.state->Snapshot()), "from another server");
    EXPECT_EQ(other.state->Snapshot().FetchStatus, 1);
}
