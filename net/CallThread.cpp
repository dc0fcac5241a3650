#include "CallThread.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kCheckInterval{50};

// Given-up calls still under way, by server and in all; a server leaves when its last ends.
class CallsGivenUp {
public:
    CallThread::Room RoomFor(const std::string& server)
    {
        const std::lock_guard lock(mutex_);
        if (total_ >= CallThread::kMostGivenUp)
            return CallThread::Room::AllFull;
        const auto found = counts_.find(server);
        if (found != counts_.end() && found->second >= CallThread::kMostGivenUpPerServer)
            return CallThread::Room::ServerFull;
        return CallThread::Room::Free;
    }
    void Add(const std::string& server)
    {
        const std::lock_guard lock(mutex_);
        ++counts_[server];
        ++total_;
    }
    void Remove(const std::string& server)
    {
        const std::lock_guard lock(mutex_);
        if (--counts_[server] <= 0)
            counts_.erase(server);
        --total_;
    }

private:
    std::mutex mutex_;
    std::map<std::string, int> counts_;
    int total_ = 0;
};

// Never destroyed: a call given up on may end after the program's statics are gone.
CallsGivenUp& GivenUp()
{
    static CallsGivenUp& calls = *new CallsGivenUp;
    return calls;
}

} // namespace

struct CallThread::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> call; // waiting for the thread
    bool done = false;          // the last call taken has ended
    bool givenUp = false;       // ...and was given up on: the thread ends after it
    bool closing = false;       // no more calls come: the thread ends
    std::string server;         // of the last call
};

CallThread::Room CallThread::RoomFor(const std::string& server) { return GivenUp().RoomFor(server); }

void CallThread::Serve(const std::shared_ptr<Shared>& shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->call || shared->closing; });
        if (!shared->call)
            return;
        const std::function<void()> call = std::exchange(shared->call, nullptr);
        lock.unlock();
        call();
        lock.lock();
        shared->done = true;
        if (shared->givenUp) {
            GivenUp().Remove(shared->server);
            return;
        }
        shared->changed.notify_all();
    }
}

CallThread::~CallThread()
{
    if (!shared_)
        return;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->closing = true;
    }
    shared_->changed.notify_all();
}

bool CallThread::Ready()
{
    if (shared_)
        return true;
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared] { Serve(shared); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    shared_ = std::move(shared);
    return true;
}

void CallThread::Run(const std::string& server, std::function<void()> call, const std::function<void()>& whileWaiting)
{
    Shared& shared = *shared_;
    {
        const std::lock_guard lock(shared.mutex);
        shared.server = server;
        shared.call = std::move(call);
        shared.done = false;
    }
    shared.changed.notify_all();
    for (;;) {
        {
            std::unique_lock lock(shared.mutex);
            if (shared.changed.wait_for(lock, kCheckInterval, [&] { return shared.done; }))
                return;
        }
        try {
            whileWaiting();
        } catch (...) {
            GiveUp();
            throw;
        }
    }
}

// A call the thread has not taken yet is never made; one under way is counted until it ends.
void CallThread::GiveUp()
{
    const std::shared_ptr<Shared> shared = std::move(shared_);
    {
        const std::lock_guard lock(shared->mutex);
        if (shared->call || shared->done) {
            shared->call = nullptr;
            shared->closing = true;
        } else {
            shared->givenUp = true;
            GivenUp().Add(shared->server);
        }
    }
    shared->changed.notify_all();
}
