#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "NewsPoller.h"
#include "ScriptedHttpServer.h"
#include "Waiting.h"

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

// The top row's text of the page read last; empty before any.
std::string TopText(const LatestItem& item) { return item.Rows ? item.Rows->front().text : std::string(); }

class NewsPollerTest : public ::testing::Test {
protected:
    void Poll()
    {
        StartPoll(worker, abandoned, state, server.Url("/index.php/zpravodajstvy"));
        ASSERT_TRUE(worker);
        worker->WaitFor();
    }

    ScriptedHttpServer server;
    std::shared_ptr<TLatestItemState> state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker;
    std::unique_ptr<TSR> abandoned;
};

} // namespace

TEST_F(NewsPollerTest, PollPublishesTheItemRowsAndTheFetchStatus)
{
    server.SetReply(Reply(Page("14:35", "Zpr%C3%A1va") + "\r\n" + Row("14:30") + "\r\n<td>older</td>"));
    StartPoll(worker, abandoned, state, server.Url("/index.php/zpravodajstvy"));
    ASSERT_TRUE(worker);
    EXPECT_EQ(worker->Priority(), THREAD_PRIORITY_IDLE);
    worker->WaitFor();
    EXPECT_EQ(server.LastRequest().RequestLine, "GET /index.php/zpravodajstvy HTTP/1.0");
    EXPECT_EQ(server.LastRequest().Header("Accept-Encoding"), "gzip");
    LatestItem item = state->Snapshot();
    EXPECT_EQ(item.FetchStatus, 1);
    ASSERT_TRUE(item.Rows);
    EXPECT_EQ(*item.Rows, (std::vector<PageRow>{{14 * 60 + 35, "Zpr%C3%A1va"}, {14 * 60 + 30, "older"}}));
    EXPECT_EQ(item.Delivery, 1u);

    server.SetReply(Reply(Gzip(Page("15:00", "gz"))));
    Poll();
    EXPECT_EQ(TopText(state->Snapshot()), "gz");
    EXPECT_EQ(state->Snapshot().Delivery, 2u);
}

// A server that knows one page at a time: a request naming its ETag gets a 304.
TEST_F(NewsPollerTest, UnchangedPageCosts304KeepsTheItemAtSuccessAndAChangedPageIsPublished)
{
    const auto memory = std::make_shared<TPollMemory>(30000);
    std::string page = Page("14:35", "first"), etag = "\"v1\"";
    const std::string modified = "Sun, 06 Nov 1994 08:49:37 GMT";
    server.SetHandler([&](const RecordedRequest& request) {
        if (request.Header("If-None-Match") == etag) {
            ScriptedReply notModified;
            notModified.Status = 304;
            notModified.Reason = "Not Modified";
            return notModified;
        }
        ScriptedReply reply = Reply(page);
        if (!etag.empty())
            reply.Headers = {"ETag: " + etag, "Last-Modified: " + modified};
        return reply;
    });
    auto poll = [&] {
        StartPoll(worker, abandoned, state, server.Url("/index.php/zpravodajstvy"), PollGiveUpAfterMs, memory);
        worker->WaitFor();
        return server.LastRequest();
    };

    EXPECT_EQ(poll().Header("If-None-Match"), "");
    const LatestItem first = state->Snapshot();
    EXPECT_EQ(TopText(first), "first");

    state->SetFetchStatus(2);
    const RecordedRequest conditional = poll();
    EXPECT_EQ(conditional.Header("If-None-Match"), "\"v1\"");
    EXPECT_EQ(conditional.Header("If-Modified-Since"), modified);
    LatestItem unchanged = state->Snapshot();
    EXPECT_EQ(unchanged.FetchStatus, 1) << "a 304 is a successful fetch";
    EXPECT_EQ(unchanged.Delivery, first.Delivery) << "no page to look at";
    EXPECT_EQ(TopText(unchanged), "first");

    page = Page("14:36", "second");
    etag = "\"v2\"";
    EXPECT_EQ(poll().Header("If-None-Match"), "\"v1\"");
    EXPECT_EQ(TopText(state->Snapshot()), "second");
    EXPECT_EQ(poll().Header("If-None-Match"), "\"v2\"");
    EXPECT_EQ(TopText(state->Snapshot()), "second");

    // A 200 without validators: the next poll is a plain one again.
    etag.clear();
    page = Page("14:37", "third");
    EXPECT_EQ(poll().Header("If-None-Match"), "\"v2\"");
    EXPECT_EQ(TopText(state->Snapshot()), "third");
    const RecordedRequest plain = poll();
    EXPECT_EQ(plain.Header("If-None-Match"), "");
    EXPECT_EQ(plain.Header("If-Modified-Since"), "");
}

TEST_F(NewsPollerTest, ErrorStatusStillScansThePage)
{
    server.SetReply(Reply(Page("08:00", "from an error page"), 500));
    Poll();
    LatestItem item = state->Snapshot();
    EXPECT_EQ(item.FetchStatus, 2);
    EXPECT_EQ(TopText(item), "from an error page");

    // Its one marker on the last line: no item.
    for (const std::string& page : {std::string("<p>no items today</p>"), "<table>\r\n" + Row("12:34")}) {
        server.SetReply(Reply(page));
        Poll();
        item = state->Snapshot();
        EXPECT_EQ(item.FetchStatus, 1);
        EXPECT_EQ(TopText(item), "from an error page") << "a page without an item leaves the rows";
        EXPECT_EQ(item.Delivery, 1u);
    }
}

TEST_F(NewsPollerTest, FailedRequestShowsAFailureAndLeavesTheItemAsItWas)
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
    EXPECT_EQ(after.Rows, before.Rows);
    EXPECT_EQ(after.FetchStatus, 2);

    // Just after a wake-up the failure is tried again within seconds, and not shown.
    const auto memory = std::make_shared<TPollMemory>(30000);
    state->SetFetchStatus(1);
    memory->Resumed();
    StartPoll(worker, abandoned, state, server.Url("/"), PollGiveUpAfterMs, memory);
    worker->WaitFor();
    EXPECT_EQ(state->Snapshot().FetchStatus, 1);
    EXPECT_LE(memory->DueIn(), WakeRetryDelayMs);
}

TEST_F(NewsPollerTest, SuspendedWorkerNeverRunsAndAStartDuringARunningPollIsSkipped)
{
    server.SetReply(Reply(Page("10:00", "x")));
    CreateSuspendedWorker(worker, state, server.Url("/"));
    ASSERT_TRUE(worker);
    worker.reset();
    EXPECT_FALSE(server.WaitForRequests(1, 300));

    ScriptedReply slow = Reply(Page("10:00", "slow"));
    slow.StallMs = 2000;
    server.SetReply(slow);
    StartPoll(worker, abandoned, state, server.Url("/"));
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    const TSR* running = worker.get();
    server.SetReply(Reply(Page("10:01", "next")));
    StartPoll(worker, abandoned, state, server.Url("/"));
    EXPECT_EQ(worker.get(), running);
    EXPECT_TRUE(worker->Running()) << "the start returned at once, without waiting for the running poll";
    worker->WaitFor();
    EXPECT_EQ(TopText(state->Snapshot()), "slow");
    EXPECT_EQ(server.RequestCount(), 1u);

    Poll();
    EXPECT_EQ(TopText(state->Snapshot()), "next");
}

TEST_F(NewsPollerTest, APollHungPastItsBoundIsGivenUpAndWhatItFindsLaterIsDropped)
{
    constexpr unsigned GiveUpAfterMs = 300;
    // The first two requests hang until released (a broken promise releases them too).
    std::promise<void> releaseFirst, releaseSecond;
    std::shared_future<void> holds[] = {releaseFirst.get_future().share(), releaseSecond.get_future().share()};
    auto served = std::make_shared<std::atomic<int>>(0);
    server.SetHandler([served, holds](const RecordedRequest&) {
        int k = (*served)++;
        if (k < 2) {
            holds[k].wait_for(std::chrono::seconds(20));
            return Reply(Page("09:0" + std::to_string(k), "late"));
        }
        return Reply(Page("10:00", "fresh"));
    });
    auto start = [&] { StartPoll(worker, abandoned, state, server.Url("/"), GiveUpAfterMs); };
    auto startUntilReplaced = [&] {
        const TSR* running = worker.get();
        return WaitUntil([&] { start(); return worker.get() != running; }, 10000);
    };
    auto arrived = [&](int count) { return WaitUntil([&] { return *served >= count; }, 5000); };
    const LatestItem before = state->Snapshot();

    start();
    ASSERT_TRUE(arrived(1));
    const TSR* first = worker.get();
    ASSERT_TRUE(startUntilReplaced());
    ASSERT_EQ(abandoned.get(), first) << "the hung poll was not given up on";
    ASSERT_TRUE(arrived(2));

    // The second hangs past its bound too, but one abandoned poll is kept at most.
    const TSR* second = worker.get();
    const ULONGLONG secondStarted = GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] { return GetTickCount64() - secondStarted > 2 * GiveUpAfterMs; }, 5000));
    start();
    EXPECT_EQ(worker.get(), second);
    EXPECT_EQ(*served, 2);

    releaseFirst.set_value();
    ASSERT_TRUE(WaitUntil([&] { return abandoned->Finished(); }, 10000));
    EXPECT_EQ(TopText(state->Snapshot()), TopText(before)) << "the given-up poll's late page was taken";
    EXPECT_EQ(state->Snapshot().FetchStatus, before.FetchStatus);

    ASSERT_TRUE(startUntilReplaced());
    ASSERT_EQ(abandoned.get(), second) << "the finished one was freed and the hung one given up";
    worker->WaitFor();
    EXPECT_EQ(TopText(state->Snapshot()), "fresh") << "picked up while the second poll still hangs";
    EXPECT_EQ(state->Snapshot().FetchStatus, 1);
    releaseSecond.set_value();
}

TEST(LatestItemState, RowsAndTheirCountAreNeverTorn)
{
    TLatestItemState state;
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!done) {
            LatestItem item = state.Snapshot();
            if (item.Rows && item.Rows->front().text != "page " + std::to_string(item.Delivery))
                ++torn;
        }
    });
    for (int k = 1; k <= 200000; ++k)
        state.PublishRows({{k % 1440, "page " + std::to_string(k)}, {0, std::string(k % 50, '.')}});
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
            if (!item.Rows)
                continue;
            ++seen;
            if (TopText(item) != "item " + TimeOf(item.Rows->front().minuteOfDay))
                ++torn;
        }
    });
    for (int poll = 0; poll < 120; ++poll) {
        StartPoll(worker, abandoned, state, server.Url("/"));
        worker->WaitFor();
    }
    done = true;
    reader.join();
    EXPECT_EQ(served, 120);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(TopText(state->Snapshot()), "item " + TimeOf(119));
}
