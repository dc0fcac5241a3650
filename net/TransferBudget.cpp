#include "TransferBudget.h"

#include <algorithm>

void TransferBudget::Reset()
{
    cancelled_ = false;
    outOfTime_ = false;
    spentMs_ = 0;
    totalSpentMs_ = 0;
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
    if (totalSpentMs_ + elapsed >= limits_.runTotalMs) {
        outOfTime_ = true;
        return Verdict::OutOfTime;
    }
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
    const uint64_t elapsed = underWay_ && nowMs > startMs_ ? nowMs - startMs_ : 0;
    totalSpentMs_ += elapsed;
    if (kind_ == Kind::Small)
        spentMs_ += elapsed;
    underWay_ = false;
}

uint64_t TransferBudget::MsLeft(uint64_t nowMs) const
{
    if (RunVerdict() != Verdict::Go)
        return 0;
    const auto left = [](uint64_t limit, uint64_t spent) { return limit > spent ? limit - spent : 0; };
    const uint64_t elapsed = underWay_ && nowMs > startMs_ ? nowMs - startMs_ : 0;
    const uint64_t run = left(limits_.runTotalMs, totalSpentMs_ + elapsed);
    if (!underWay_)
        return run;
    if (kind_ == Kind::Small)
        return std::min(run, left(limits_.runMs, spentMs_ + elapsed));
    return std::min(run, left(markMs_ + limits_.slowWindowMs, nowMs));
}

TransferBudget::Verdict TransferBudget::RunVerdict() const
{
    if (cancelled_)
        return Verdict::Cancelled;
    if (outOfTime_ || spentMs_ >= limits_.runMs || totalSpentMs_ >= limits_.runTotalMs)
        return Verdict::OutOfTime;
    return Verdict::Go;
}
