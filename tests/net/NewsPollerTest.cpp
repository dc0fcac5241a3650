#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "NewsPoller.h"
#include "ScriptedHttpServer.h"

namespace {

std::string Row(const std::string& time) { return "       <td class=\"date\">" + time + "</td>"; }

std::string Page(const std::string& time, const std::string& text)
{
    return "<table>\r\n<tr>\r\n" + Row(time) + "\r\n<td>" + text + "</td>\r\n</tr>\r\n</table>\r\n";
}

ScriptedReply Reply(std::string body, int status = 200)
{
    ScriptedReply reply;
    reply.Status = status;
    reply.Reason = status == 200 ? "OK" : "Failed";
    reply.Body = std::move(body);
    return reply;
}

std::string TimeOf(int k)
{
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", (k / 60) % 24, k % 60);
    return time;
}

class NewsPollerTest : public ::testing::Test {
protected:
    void Poll()
    {
        StartPoll(worker, state, server.Url("/index.php/zpravodajstvy"));
        ASSERT_TRUE(worker);
        worker->WaitFor();
    }

    ScriptedHttpServer server;
    std::shared_ptr<TLatestItemState> state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker;
};

} // namespace

TEST_F(NewsPollerTest, PollPublishesTheFirstItemAndTheFetchStatus)
{
    server.SetReply(Reply(Page("14:35", "Zpr%C3%A1va")));
    StartPoll(worker, state, server.Url("/index.php/zpravodajstvy"));
    ASSERT_TRUE(worker);
    EXPECT_EQ(worker->Priority(), THREAD_PRIORITY_IDLE);
    worker->WaitFor();
    EXPECT_EQ(server.LastRequest().RequestLine, "GET /index.php/zpravodajstvy HTTP/1.0");
    EXPECT_EQ(server.LastRequest().Header("Accept-Encoding"), "gzip");
    LatestItem item = state->Snapshot();
    EXPECT_EQ(item.FetchStatus, 1);
    EXPECT_FALSE(ShortDateToday().empty());
    EXPECT_EQ(item.LatestTitle, ShortDateToday() + " 14:35");
    EXPECT_EQ(item.LatestText, "Zpr%C3%A1va");

    server.SetReply(Reply(Gzip(Page("15:00", "gz"))));
    Poll();
    EXPECT_EQ(state->Snapshot().LatestText, "gz");
}

TEST_F(NewsPollerTest, ErrorStatusStillScansThePage)
{
    server.SetReply(Reply(Page("08:00", "from an error page"), 500));
    Poll();
    LatestItem item = state->Snapshot();
    EXPECT_EQ(item.FetchStatus, 2);
    EXPECT_EQ(item.LatestText, "from an error page");

    server.SetReply(Reply("<p>no items today</p>"));
    Poll();
    item = state->Snapshot();
    EXPECT_EQ(item.FetchStatus, 1);
    EXPECT_EQ(item.LatestText, "from an error page") << "a page without an item leaves the item";
}

TEST_F(NewsPollerTest, FailedRequestLeavesTheStateAsItWas)
{
    server.SetReply(Reply(Page("10:00", "kept")));
    Poll();
    const LatestItem before = state->Snapshot();
    ScriptedReply cut = Reply(Page("11:00", "new"));
    cut.CloseAfter = 20;
    server.SetReply(cut);
    Poll();
    ScriptedReply dropped;
    dropped.CloseWithoutReply = true;
    server.SetReply(dropped);
    Poll();
    const LatestItem after = state->Snapshot();
    EXPECT_EQ(server.RequestCount(), 3u);
    EXPECT_EQ(after.LatestTitle, before.LatestTitle);
    EXPECT_EQ(after.LatestText, "kept");
    EXPECT_EQ(after.FetchStatus, 1);
}

TEST_F(NewsPollerTest, MarkerOnTheLastLineReplacesOnlyTheTitle)
{
    server.SetReply(Reply(Page("10:00", "old text")));
    Poll();
    server.SetReply(Reply("<table>\r\n" + Row("12:34")));
    Poll();
    LatestItem item = state->Snapshot();
    EXPECT_EQ(item.LatestTitle, ShortDateToday() + " 12:34");
    EXPECT_EQ(item.LatestText, "old text");
}

TEST_F(NewsPollerTest, SuspendedWorkerNeverRunsAndStartWaitsForARunningPoll)
{
    server.SetReply(Reply(Page("10:00", "x")));
    CreateSuspendedWorker(worker, state, server.Url("/"));
    ASSERT_TRUE(worker);
    worker.reset();
    EXPECT_FALSE(server.WaitForRequests(1, 300));

    ScriptedReply slow = Reply(Page("10:00", "slow"));
    slow.StallMs = 1000;
    server.SetReply(slow);
    StartPoll(worker, state, server.Url("/"));
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    server.SetReply(Reply(Page("10:01", "next")));
    StartPoll(worker, state, server.Url("/"));
    EXPECT_EQ(state->Snapshot().LatestText, "slow") << "the running poll ended before the next one started";
    worker->WaitFor();
    EXPECT_EQ(state->Snapshot().LatestText, "next");
}

TEST(LatestItemState, PairsAreNeverTorn)
{
    TLatestItemState state;
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!done) {
            LatestItem item = state.Snapshot();
            if (item.LatestText != "text of " + item.LatestTitle && !item.LatestTitle.empty())
                ++torn;
        }
    });
    for (int k = 0; k < 200000; ++k) {
        std::string title = "title " + std::to_string(k) + std::string(k % 50, '.');
        state.PublishItem(title, "text of " + title);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(NewsPollerTest, ManyPollsWhileTheStateIsReadNeverMixItems)
{
    std::atomic<int> served = 0;
    server.SetHandler([&](const RecordedRequest&) {
        int k = served++;
        return Reply(Page(TimeOf(k), "item " + TimeOf(k)));
    });
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0, seen = 0;
    std::thread reader([&] {
        while (!done) {
            LatestItem item = state->Snapshot();
            if (item.LatestTitle.empty())
                continue;
            ++seen;
            if (item.LatestText != "item " + item.LatestTitle.substr(item.LatestTitle.size() - 5))
                ++torn;
        }
    });
    for (int poll = 0; poll < 120; ++poll)
        StartPoll(worker, state, server.Url("/"));
    worker->WaitFor();
    done = true;
    reader.join();
    EXPECT_EQ(served, 120);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(state->Snapshot().LatestText, "item " + TimeOf(119));
}
