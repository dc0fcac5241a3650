#pragma once
#include <atomic>
#include <cstdint>

// The limits of a run of transfers, checked between reads. The run's small transfers (a
// control file, its signature, texts, a post) share one time allowance; a download is given
// up when it moves too little for too long; every transfer, downloads included, spends the
// run's whole allowance, so that a run holds what follows it (the news) for a bounded time.
// Only time inside transfers counts: the person's time in a dialog between them does not.
// A cancel request stops whatever transfer is under way and every later one. Times are in
// milliseconds of any steady clock.
class TransferBudget {
public:
    enum class Verdict { Go, Cancelled, OutOfTime, TooSlow };
    enum class Kind { Small, Download };

    struct Limits {
        uint64_t runMs = 30000;      // small transfers together
        uint64_t runTotalMs = 50000; // every transfer together: with a last read that waits out
                                     // its 10-s step, still under a minute
        uint64_t slowWindowMs = 30000;
        uint64_t slowBytesPerSecond = 1024;
    };

    TransferBudget() = default;
    explicit TransferBudget(Limits limits) : limits_(limits) {}

    // A fresh run: nothing spent, nothing cancelled.
    void Reset();
    void Reset(Limits limits)
    {
        limits_ = limits;
        Reset();
    }
    void Cancel() { cancelled_ = true; }

    void BeginTransfer(Kind kind, uint64_t nowMs);
    // Whether the transfer under way may go on, totalBytes of it having arrived by now. A
    // verdict other than Go ends the transfer; Cancelled and OutOfTime end the run as well.
    Verdict Check(uint64_t nowMs, uint64_t totalBytes);
    void EndTransfer(uint64_t nowMs);
    // How long from nowMs the transfer under way may wait for its next bytes before Check ends
    // it: what is left of the run's allowance, of the small transfers' share for a small one,
    // of a download's speed window; 0 once the run is over. Between transfers, what is left
    // of the run's allowance.
    uint64_t MsLeft(uint64_t nowMs) const;

    // Between the steps of a run: Go, or why the run is over.
    Verdict RunVerdict() const;

private:
    Limits limits_;
    std::atomic<bool> cancelled_{false};
    bool outOfTime_ = false;
    uint64_t spentMs_ = 0;      // by small transfers
    uint64_t totalSpentMs_ = 0; // by every transfer
    Kind kind_ = Kind::Small;
    bool underWay_ = false;
    uint64_t startMs_ = 0;
    // The download's last mark: when it last had moved a window's worth of bytes.
    uint64_t markMs_ = 0;
    uint64_t markBytes_ = 0;
};
