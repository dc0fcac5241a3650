#include "SimpleTimer.h"

#include <algorithm>
#include <exception>

#include "UtilityWindow.h"

namespace {
std::unique_ptr<TSimpleTimerHandler>& SharedHandler()
{
    static std::unique_ptr<TSimpleTimerHandler> handler;
    return handler;
}
} // namespace

TSimpleTimerHandler* TimerHandler() { return SharedHandler().get(); }

TSimpleTimerHandler& AcquireTimerHandler()
{
    auto& handler = SharedHandler();
    if (!handler)
        handler = std::make_unique<TSimpleTimerHandler>();
    ++handler->RefCount;
    return *handler;
}

void ReleaseTimerHandler()
{
    auto& handler = SharedHandler();
    if (!handler)
        return;
    if (handler->RefCount > 0)
        --handler->RefCount;
    if (handler->RefCount == 0)
        handler.reset();
}

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_(CreateUtilityWindow(L"SorielSimpleTimer", &TSimpleTimerHandler::WndProc, this))
{
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
    active_ = false;
    return KillTimer(TimerHandler()->Window(), Id()) != 0;
}
