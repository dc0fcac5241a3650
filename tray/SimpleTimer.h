#pragma once
#include <windows.h>

#include <vector>

#include "Win32Handle.h"

using TSimpleTimerCallback = void (*)(void* context);

// A window-message timer without a component: it ticks on the one hidden window that all
// such timers of the thread share, and calls back with its context.
class TSimpleTimer {
public:
    TSimpleTimer(void* context, TSimpleTimerCallback callback);
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // Restarts the timer with the interval (the system raises 0 to its minimum).
    bool Start(unsigned interval);
    bool Stop();
    bool Active() const { return active_; }
    unsigned Interval() const { return interval_; }

    void* Context;
    TSimpleTimerCallback Callback;

private:
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

    bool active_ = false;
    unsigned interval_ = 0;
};

// The hidden window behind every TSimpleTimer, shared and counted by its users.
class TSimpleTimerHandler {
public:
    TSimpleTimerHandler() = default;
    TSimpleTimerHandler(const TSimpleTimerHandler&) = delete;
    TSimpleTimerHandler& operator=(const TSimpleTimerHandler&) = delete;

    HWND Window();
    unsigned RefCount = 0;

    void Register(TSimpleTimer* timer);
    void Unregister(TSimpleTimer* timer);

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tick(UINT_PTR id);

    std::vector<TSimpleTimer*> timers_;
    WindowHandle window_;
};

// The shared timer window: made on first use, freed after its last user.
TSimpleTimerHandler* TimerHandler();
TSimpleTimerHandler& AcquireTimerHandler();
void ReleaseTimerHandler();
