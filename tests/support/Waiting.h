#pragma once
#include <functional>

// Waiting for a condition with a time limit, instead of sleeping a guessed time.

// Checks the condition every 20 ms until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs);

// The same, handling this thread's messages meanwhile (its windows and timers work on).
bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);
// Handles this thread's messages for that long.
void PumpFor(unsigned ms);
