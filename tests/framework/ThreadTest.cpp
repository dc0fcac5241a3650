#include <gtest/gtest.h>

#include <atomic>

#include "Thread.h"

namespace {

class CountingThread : public TThread {
public:
    explicit CountingThread(std::atomic<int>& runs) : runs_(runs) {}

protected:
    void Execute() override
    {
        ++runs_;
        while (!Terminated())
            Sleep(1);
    }

private:
    std::atomic<int>& runs_;
};

class ThrowingThread : public TThread {
protected:
    void Execute() override { throw 42; }
};

} // namespace

TEST(Thread, NeverStartedThreadEndsWithoutRunningItsBody)
{
    std::atomic<int> runs = 0;
    delete new CountingThread(runs);
    EXPECT_EQ(runs, 0);
}

TEST(Thread, DestroyingRunningThreadRequestsStopAndWaits)
{
    std::atomic<int> runs = 0;
    auto* thread = new CountingThread(runs);
    thread->SetPriority(THREAD_PRIORITY_IDLE);
    EXPECT_EQ(thread->Priority(), THREAD_PRIORITY_IDLE);
    thread->Start();
    while (runs == 0)
        Sleep(1);
    EXPECT_FALSE(thread->Finished());
    delete thread;
    EXPECT_EQ(runs, 1);
}

TEST(Thread, ErrorInBodyIsDroppedAndThreadFinishes)
{
    ThrowingThread thread;
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}
