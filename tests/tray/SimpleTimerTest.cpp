#include "SimpleTimer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "Waiting.h"

namespace {

struct Counter {
    int ticks = 0;
    bool fail = false;
    static void Tick(void* context)
    {
        auto* counter = static_cast<Counter*>(context);
        ++counter->ticks;
        if (counter->fail)
            throw std::runtime_error("tick failed");
    }
};

TEST(SimpleTimer, TicksWithItsContextUntilStopped)
{
    Counter counter;
    TSimpleTimer timer(&counter, &Counter::Tick);
    EXPECT_FALSE(timer.Active());
    EXPECT_TRUE(timer.Start(10));
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(timer.Interval(), 10u);
    EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= 3; }));

    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Active());
    const int stoppedAt = counter.ticks;
    PumpFor(100);
    EXPECT_EQ(counter.ticks, stoppedAt);
    EXPECT_FALSE(timer.Stop()) << "nothing left to stop";
}

TEST(SimpleTimer, StartAgainRestartsWithTheNewInterval)
{
    Counter counter;
    TSimpleTimer timer(&counter, &Counter::Tick);
    timer.Start(60000);
    timer.Start(10);
    EXPECT_EQ(timer.Interval(), 10u);
    EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= 2; }, 2000));
}

TEST(SimpleTimer, FailingTickIsDroppedAndTheTimerGoesOn)
{
    Counter counter;
    counter.fail = true;
    TSimpleTimer timer(&counter, &Counter::Tick);
    timer.Start(10);
    EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= 3; }));
}

TEST(SimpleTimer, TickOfAFreedTimerFindsNoTimer)
{
    Counter counter;
    auto timer = std::make_unique<TSimpleTimer>(&counter, &Counter::Tick);
    TSimpleTimer keeper(nullptr, nullptr);
    const auto staleId = reinterpret_cast<WPARAM>(timer.get());
    timer.reset();
    PostMessageW(TimerHandler()->Window(), WM_TIMER, staleId, 0);
    PumpFor(50);
    EXPECT_EQ(counter.ticks, 0);
}

TEST(SimpleTimer, TimersShareOneWindowThatGoesWithTheLast)
{
    ASSERT_EQ(TimerHandler(), nullptr);
    auto first = std::make_unique<TSimpleTimer>(nullptr, nullptr);
    HWND window = TimerHandler()->Window();
    {
        TSimpleTimer second(nullptr, nullptr);
        EXPECT_EQ(TimerHandler()->Window(), window);
        EXPECT_EQ(TimerHandler()->RefCount, 2u);
    }
    EXPECT_EQ(TimerHandler()->RefCount, 1u);
    first.reset();
    EXPECT_EQ(TimerHandler(), nullptr);
    EXPECT_FALSE(IsWindow(window));
}

} // namespace
