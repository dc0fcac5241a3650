#include "SimpleTimer.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "SharedHandler.h"
#include "UtilityWindow.h"

TSimpleTimerHandler* TimerHandler() { return SharedHandler<TSimpleTimerHandler>::Get(); }
TSimpleTimerHandler& AcquireTimerHandler() { return SharedHandler<TSimpleTimerHandler>::Acquire(); }
void ReleaseTimerHandler() { SharedHandler<TSimpleTimerHandler>::Release(); }

// Made when a timer first starts: a tray icon whose timers never run needs no window.
HWND TSimpleTimerHandler::Window()
{
    if (!window_)
        window_ = CreateUtilityWindow(L"SorielSimpleTimer", &TSimpleTimerHandler::WndProc, this);
    return window_.Get();
}

void TSimpleTimerHandler::Register(TSimpleTimer* timer) { timers_.push_back(timer); }

void TSimpleTimerHandler::Unregister(TSimpleTimer* timer) { std::erase(timers_, timer); }

void TSimpleTimerHandler::Tick(UINT_PTR id)
{
    // A tick already queued when its timer was freed finds no timer any more.
    auto found = std::find_if(timers_.begin(), timers_.end(),
                              [id](TSimpleTimer* timer) { return reinterpret_cast<UINT_PTR>(timer) == id; });
    if (found == timers_.end() || !(*found)->Callback)
        return;
    try {
        (*found)->Callback((*found)->Context);
    } catch (const std::exception&) {
        // A failing tick must not stop the others: dropped.
    }
}

LRESULT CALLBACK TSimpleTimerHandler::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* handler = reinterpret_cast<TSimpleTimerHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && handler) {
        handler->Tick(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TSimpleTimer::TSimpleTimer(void* context, TSimpleTimerCallback callback) : Context(context), Callback(callback)
{
    AcquireTimerHandler().Register(this);
}

TSimpleTimer::~TSimpleTimer()
{
    if (active_)
        Stop();
    TimerHandler()->Unregister(this);
    ReleaseTimerHandler();
}

bool TSimpleTimer::Start(unsigned interval)
{
    if (active_)
        Stop();
    interval_ = interval;
    active_ = SetTimer(TimerHandler()->Window(), Id(), interval, nullptr) != 0;
    return active_;
}

bool TSimpleTimer::Stop()
{
    // A timer that is not running has no system timer to kill.
    return std::exchange(active_, false) && KillTimer(TimerHandler()->Window(), Id()) != 0;
}
