#include "Thread.h"

#include "Exception.h"
#include "Text.h"

TThread::TThread()
{
    handle_.Reset(CreateThread(nullptr, 0, &TThread::Run, this, CREATE_SUSPENDED, nullptr));
    if (!handle_)
        throw Exception("Nelze vytvořit vlákno: " + SystemErrorMessage(GetLastError()));
}

TThread::~TThread()
{
    if (!started_)
        skipBody_ = true;
    Terminate();
    WaitFor();
}

void TThread::Start()
{
    if (started_)
        return;
    started_ = true;
    ResumeThread(handle_.Get());
}

void TThread::SetPriority(int priority) { SetThreadPriority(handle_.Get(), priority); }
int TThread::Priority() const { return GetThreadPriority(handle_.Get()); }

void TThread::WaitFor()
{
    if (!started_) {
        if (!skipBody_)
            return;
        started_ = true;
        ResumeThread(handle_.Get());
    }
    WaitForSingleObject(handle_.Get(), INFINITE);
}

DWORD WINAPI TThread::Run(void* self)
{
    auto* thread = static_cast<TThread*>(self);
    if (!thread->skipBody_) {
        try {
            thread->Execute();
        } catch (...) {
        }
    }
    thread->finished_ = true;
    return 0;
}
