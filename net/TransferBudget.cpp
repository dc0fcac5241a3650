#include "TransferBudget.h"

void TransferBudget::Reset()
{
    cancelled_ = false;
    outOfTime_ = false;
    spentMs_ = 0;
    underWay_ = false;
}

void TransferBudget::BeginTransfer(Kind kind, uint64_t nowMs)
{
    kind_ = kind;
    underWay_ = true;
    startMs_ = markMs_ = nowMs;
    markBytes_ = 0;
}

TransferBudget::Verdict TransferBudget::Check(uint64_t nowMs, uint64_t totalBytes)
{
    if (const Verdict run = RunVerdict(); run != Verdict::Go)
        return run;
    if (!underWay_)
        return Verdict::Go;
    const uint64_t elapsed = nowMs > startMs_ ? nowMs - startMs_ : 0;
    if (kind_ == Kind::Small) {
        if (spentMs_ + elapsed >= limits_.runMs) {
            outOfTime_ = true;
            return Verdict::OutOfTime;
        }
        return Verdict::Go;
    }
    // Less than the least speed over a whole window: a window's worth of bytes sets a new mark.
    const uint64_t windowBytes = limits_.slowBytesPerSecond * limits_.slowWindowMs / 1000;
    if (totalBytes >= markBytes_ + windowBytes) {
        markMs_ = nowMs;
        markBytes_ = totalBytes;
    } else if (nowMs >= markMs_ + limits_.slowWindowMs) {
        return Verdict::TooSlow;
    }
    return Verdict::Go;
}

void TransferBudget::EndTransfer(uint64_t nowMs)
{
    if (underWay_ && kind_ == Kind::Small && nowMs > startMs_)
        spentMs_ += nowMs - startMs_;
    underWay_ = false;
}

TransferBudget::Verdict TransferBudget::RunVerdict() const
{
    if (cancelled_)
        return Verdict::Cancelled;
    if (outOfTime_ || spentMs_ >= limits_.runMs)
        return Verdict::OutOfTime;
    return Verdict::Go;
}
