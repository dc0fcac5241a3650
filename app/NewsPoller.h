#pragma once
#include <memory>
#include <string>

#include "LatestItem.h"
#include "Thread.h"

// One poll of the news page on its own thread: fetch, fetch status, first item row.
// Errors end the poll quietly and leave the state as the poll had left it. The worker
// shares the state, so a poll still running when the program ends never writes into
// freed memory.
class TSR : public TThread {
public:
    TSR(std::shared_ptr<TLatestItemState> state, std::string newsUrl);
    ~TSR() override;

protected:
    void Execute() override;

private:
    const std::shared_ptr<TLatestItemState> state_;
    const std::string newsUrl_;
};

// Today's date in the user's short date format, as UTF-8.
std::string ShortDateToday();

// The worker held from start-up until the first poll: created, never started.
void CreateSuspendedWorker(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
                           const std::string& newsUrl);

// Replaces the worker by a new one at idle priority. While a poll still runs this start is
// skipped: that poll delivers, and the caller's thread never waits for the network.
// Every error is dropped: the next timer tick tries again.
void StartPoll(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
               const std::string& newsUrl);

// At the end of the program: a worker still running is asked to stop and left to the
// end of the process, which nothing waits for.
void AbandonWorker(std::unique_ptr<TSR>& worker);
