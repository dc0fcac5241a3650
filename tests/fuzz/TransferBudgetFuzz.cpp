// A run of transfers as a sequence of steps (begin, check, end, cancel) at growing times.
// Input: one byte per step, its kind in the low bits and how far time and bytes move in the
// rest.
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "TransferBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Verdict = TransferBudget::Verdict;
    const TransferBudget::Limits limits{.runMs = 3000, .slowWindowMs = 1000, .slowBytesPerSecond = 100};
    TransferBudget budget(limits);
    uint64_t now = 0, bytes = 0, spent = 0, began = 0, markMs = 0, markBytes = 0;
    bool underWay = false, cancelled = false, download = false;
    for (size_t i = 0; i < size; ++i) {
        const unsigned step = data[i] & 3, amount = data[i] >> 2;
        now += amount * 17;
        switch (step) {
        case 0:
            download = amount & 1;
            budget.BeginTransfer(download ? TransferBudget::Kind::Download : TransferBudget::Kind::Small, now);
            underWay = true;
            began = markMs = now;
            bytes = markBytes = 0;
            break;
        case 1: {
            bytes += amount * 5;
            const Verdict verdict = budget.Check(now, bytes);
            // A cancel stays; a small transfer runs out exactly when the run's time is spent; a
            // download that moved a window's worth of bytes since its mark goes on.
            if (cancelled)
                FUZZ_CHECK(verdict == Verdict::Cancelled);
            else if (underWay && !download && spent + (now - began) >= limits.runMs)
                FUZZ_CHECK(verdict == Verdict::OutOfTime);
            if (underWay && download && verdict == Verdict::Go && bytes >= markBytes + 100) {
                markMs = now;
                markBytes = bytes;
            }
            if (verdict == Verdict::TooSlow)
                FUZZ_CHECK(download && now >= markMs + limits.slowWindowMs && bytes < markBytes + 100);
            break;
        }
        case 2:
            budget.EndTransfer(now);
            if (underWay && !download)
                spent += now - began;
            underWay = false;
            break;
        case 3:
            budget.Cancel();
            cancelled = true;
            break;
        }
        if (cancelled)
            FUZZ_CHECK(budget.RunVerdict() == Verdict::Cancelled);
        else if (spent >= limits.runMs)
            FUZZ_CHECK(budget.RunVerdict() == Verdict::OutOfTime);
    }
    return 0;
}
