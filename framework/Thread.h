#pragma once
#include <atomic>

#include "Win32Handle.h"

// A thread of the program's own: created suspended, started once, body in Execute.
// Errors escaping Execute are dropped. Destroying a running thread asks it to stop and
// waits for its end; one never started ends without running its body. A subclass with
// members of its own must call WaitFor() in its destructor, before those members go.
class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void SetPriority(int priority); // THREAD_PRIORITY_*
    int Priority() const;
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    bool Finished() const { return finished_; }
    // Started and its body not yet done.
    bool Running() const { return started_ && !finished_; }
    void WaitFor();

protected:
    virtual void Execute() = 0;

private:
    static DWORD WINAPI Run(void* self);

    KernelHandle handle_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool started_ = false;
    bool skipBody_ = false;
};
