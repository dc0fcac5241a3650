#include "Waiting.h"

#include <windows.h>

namespace {

// Checks the condition, then pauses, until it holds or the time is up.
bool Poll(const std::function<bool()>& condition, unsigned timeoutMs, void (*pause)())
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        pause();
    }
}

void Sleep20ms() { Sleep(20); }

// Handles what is queued, then waits up to 10 ms for more.
void HandleMessagesThenWait()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs)
{
    return Poll(condition, timeoutMs, &Sleep20ms);
}

bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs)
{
    return Poll(condition, timeoutMs, &HandleMessagesThenWait);
}

void PumpFor(unsigned ms)
{
    PumpUntil([] { return false; }, ms);
}
