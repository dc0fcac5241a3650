#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "LatestItem.h"
#include "PollRules.h"
#include "Thread.h"

class THTTPRequest;

// The news request's bounds: each connect, send and receive step, and the whole exchange.
constexpr unsigned NewsRequestTimeoutMs = 5000;
constexpr unsigned NewsRequestTimeLimitMs = 20000;
// The largest news page a poll takes, as sent or inflated; real pages are a few hundred KiB.
constexpr size_t MaxNewsPageSize = 2 * 1024 * 1024;
// A poll running longer than this is taken for hung in a step WinInet does not bound: twice
// the longest a request can take (its time limit, then a redirection's connect, send and
// receive and one more read), so an idle-priority worker on a busy machine still delivers.
constexpr unsigned PollGiveUpAfterMs = 2 * (NewsRequestTimeLimitMs + 4 * NewsRequestTimeoutMs);

// What the polls of the news page keep between them: the validators of the last 200 reply
// of their address, and when the next poll is due. Shared by the workers and the
// user-interface thread, under its own lock.
class TPollMemory {
public:
    explicit TPollMemory(unsigned periodMs);

    unsigned PeriodMs() const { return periodMs_; }
    // What a poll of that address sends (ValidatorMemory::ForPoll).
    PageValidators Validators(const std::string& url) const;
    // Those of a 200 reply that came from url.
    void KeepValidators(const std::string& url, PageValidators validators);
    void Started();
    // status 0: the poll got no reply. False when the outcome is not to be shown (see
    // PollSchedule::Finished).
    bool Finished(unsigned status, std::optional<unsigned> retryAfterSeconds);
    void Asked();
    void Resumed();
    // Milliseconds until the next poll is due; 0 when it is.
    unsigned long long DueIn() const;
    // A poll brought the page, or learnt that it is unchanged (fetch status 1).
    void Delivered();
    // How many polls did so, since the start.
    unsigned long long DeliveredPolls() const;

private:
    const unsigned periodMs_;
    mutable std::mutex mutex_;
    PollSchedule schedule_;
    ValidatorMemory validators_;
    unsigned long long delivered_ = 0;
};

// One poll of the news page on its own thread: fetch, fetch status, item rows.
// Errors end the poll quietly; one of the request shows as fetch status 2 (unless it is
// tried again soon after a wake-up), and the rows stay as they were. The worker shares the state, so a poll still running when the program
// ends never writes into freed memory.
class TSR : public TThread {
public:
    // With memory, the poll is conditional and reports its outcome there.
    TSR(std::shared_ptr<TLatestItemState> state, std::string newsUrl, std::shared_ptr<TPollMemory> memory = nullptr);
    ~TSR() override;

    // Starts the poll at idle priority.
    void StartPolling();
    bool RunningLongerThan(unsigned milliseconds) const;
    // Asks the worker to stop and cuts it off from the state: once this returns, nothing it
    // still finds is written there.
    void Abandon();

protected:
    void Execute() override;

private:
    void Publish(const std::function<void(TLatestItemState&)>& write);
    // Validators, the schedule and the fetch status after the request; status 0: no reply.
    void Remember(unsigned status, const THTTPRequest& request, bool sentValidators);

    const std::shared_ptr<TLatestItemState> state_;
    const std::string newsUrl_;
    const std::shared_ptr<TPollMemory> memory_;
    unsigned long long startedAt_ = 0;
    // Held over the abandoned check and the write together.
    std::mutex publishing_;
    bool abandoned_ = false;
};

// The worker held from start-up until the first poll: created, never started.
void CreateSuspendedWorker(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
                           const std::string& newsUrl, const std::shared_ptr<TPollMemory>& memory = nullptr);

// Replaces the worker by a new one at idle priority. While a poll still runs this start is
// skipped: that poll delivers, and the caller's thread never waits for the network. A poll
// running past giveUpAfterMs is abandoned instead and kept in `abandoned` until its body
// ends (freed by a later start); while one abandoned poll still runs, no second one is
// given up on, so at most two workers ever exist. Every error is dropped: the next timer
// tick tries again. True when a poll was started.
bool StartPoll(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
               const std::shared_ptr<TLatestItemState>& state, const std::string& newsUrl,
               unsigned giveUpAfterMs = PollGiveUpAfterMs, const std::shared_ptr<TPollMemory>& memory = nullptr);

// Starts a poll when memory says one is due; answers the milliseconds until the poll
// timer should look again: while a poll runs, at least every second.
unsigned StartPollWhenDue(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
                          const std::shared_ptr<TLatestItemState>& state, const std::string& newsUrl,
                          const std::shared_ptr<TPollMemory>& memory);

// At the end of the program: a worker still running is asked to stop and left to the
// end of the process, which nothing waits for.
void AbandonWorker(std::unique_ptr<TSR>& worker);
