// A run of transfers as a sequence of steps (begin, check, end, cancel) at growing times.
// Input: one byte per step, its kind in the low bits and how far time and bytes move in the
// rest. Checked are the rules a user relies on, not the arithmetic: a cancel and a run out of
// time end the run for good; a download is never stopped for the run's time before the
// transfers' whole allowance is spent, nor a small transfer for its speed; a download moving fast enough is never too slow; nothing is
// stopped before its time.
#include <cstdint>

#include "FuzzCheck.h"
#include "TransferBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Verdict = TransferBudget::Verdict;
    const TransferBudget::Limits limits{.runMs = 3000, .runTotalMs = 6000, .slowWindowMs = 1000, .slowBytesPerSecond = 100};
    TransferBudget budget(limits);
    uint64_t now = 0, bytes = 0, began = 0, spentByAll = 0;
    bool underWay = false, download = false, steady = true;
    Verdict runBefore = Verdict::Go;
    for (size_t i = 0; i < size; ++i) {
        const unsigned step = data[i] & 3, amount = data[i] >> 2;
        const uint64_t then = now;
        now += amount * 17;
        switch (step) {
        case 0:
            download = amount & 1;
            budget.BeginTransfer(download ? TransferBudget::Kind::Download : TransferBudget::Kind::Small, now);
            underWay = true;
            steady = true;
            began = now;
            bytes = 0;
            break;
        case 1: {
            const uint64_t moved = amount * 5;
            // At least the least speed over this step, so over every window too.
            steady = steady && moved * 1000 >= limits.slowBytesPerSecond * (now - then);
            bytes += moved;
            const Verdict verdict = budget.Check(now, bytes);
            if (runBefore != Verdict::Go)
                FUZZ_CHECK(verdict == runBefore);
            if (underWay && download && runBefore == Verdict::Go && spentByAll + (now - began) < limits.runTotalMs)
                FUZZ_CHECK(verdict != Verdict::OutOfTime);
            if (underWay && !download)
                FUZZ_CHECK(verdict != Verdict::TooSlow);
            if (underWay && download && steady)
                FUZZ_CHECK(verdict != Verdict::TooSlow);
            if (underWay && now - began < (download ? limits.slowWindowMs : 1) && runBefore == Verdict::Go &&
                spentByAll + (now - began) < limits.runTotalMs)
                FUZZ_CHECK(verdict == Verdict::Go);
            break;
        }
        case 2:
            if (underWay)
                spentByAll += now - began;
            budget.EndTransfer(now);
            underWay = false;
            break;
        case 3:
            budget.Cancel();
            break;
        }
        const Verdict run = budget.RunVerdict();
        if (step == 3)
            FUZZ_CHECK(run == Verdict::Cancelled);
        else if (runBefore != Verdict::Go)
            FUZZ_CHECK(run == runBefore);
        runBefore = run;
    }
    return 0;
}
