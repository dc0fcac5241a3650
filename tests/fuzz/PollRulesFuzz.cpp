// The rules of polite polling: Retry-After values and HTTP dates of any kind, validators
// of any kind, and any sequence of polls, outcomes, asks and wake-ups. Input: a Retry-After
// text, an ETag and a Last-Modified, then the events.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "PollRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int64_t now = input.ConsumeIntegralInRange<int64_t>(0, int64_t(1) << 40);
    const std::string retryAfter = input.ConsumeRandomLengthString(48);
    const std::string etag = input.ConsumeRandomLengthString(64);
    const std::string lastModified = input.ConsumeRandomLengthString(64);

    // Never longer than an hour; a date reads back the same however far the clock is.
    if (const auto seconds = RetryAfterSeconds(retryAfter, now))
        FUZZ_CHECK(*seconds <= MaxRetryAfterSeconds);
    if (const auto date = ParseHttpDate(retryAfter)) {
        FUZZ_CHECK(*date >= ParseHttpDate("Mon, 01 Jan 1900 00:00:00 GMT").value());
        FUZZ_CHECK(RetryAfterSeconds(retryAfter, *date) == 0u);
        FUZZ_CHECK(RetryAfterSeconds(retryAfter, *date - 1) == 1u);
    }

    // What is kept is what came, whole, and nothing that silences the polls: no "*", no date
    // past tomorrow; what is sent is one line per kept validator.
    const PageValidators kept = KeptValidators(etag, lastModified, now);
    FUZZ_CHECK(kept.ETag.empty() || (kept.ETag == etag && IsEntityTag(etag) && etag != "*"));
    FUZZ_CHECK(kept.LastModified.empty() ||
               (kept.LastModified == lastModified &&
                ParseHttpDate(lastModified).value() <= now + MaxLastModifiedAheadSeconds));
    const std::string headers = ConditionalHeaders(kept);
    const size_t lines = size_t(std::count(headers.begin(), headers.end(), '\n'));
    FUZZ_CHECK(lines == size_t(!kept.ETag.empty()) + size_t(!kept.LastModified.empty()));
    FUZZ_CHECK(size_t(std::count(headers.begin(), headers.end(), '\r')) == lines);

    // Whatever happens, the next poll comes no sooner than the period after the poll
    // before (unless asked for or woken up meanwhile, or it failed within a minute of a wake-up:
    // then 5 s later, unshown), no later than the longest back-off with its jitter or the
    // longest Retry-After, and never before a Retry-After.
    const uint64_t period = input.ConsumeIntegralInRange<uint64_t>(1, 86400000);
    PollSchedule schedule(period, [&] { return input.ConsumeIntegral<uint32_t>(); });
    uint64_t clock = 0, notBefore = 0;
    bool heldBack = false; // a Retry-After came, and no poll started since
    bool wished = false;   // asked or woken up since the last poll started
    std::optional<uint64_t> wokeAt;
    while (input.remaining_bytes() > 0) {
        clock += input.ConsumeIntegralInRange<uint64_t>(0, 4000000);
        switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0: {
            schedule.Started(clock);
            heldBack = false;
            wished = false;
            const uint64_t started = clock;
            clock += input.ConsumeIntegralInRange<uint64_t>(0, 30000);
            const unsigned status = input.ConsumeIntegralInRange<unsigned>(0, 600);
            const auto wait = input.ConsumeBool() ? std::optional<unsigned>(input.ConsumeIntegral<unsigned>())
                                                  : std::nullopt;
            const bool shown = schedule.Finished(clock, status, wait);
            const uint64_t next = schedule.NextPollAt();
            if (wait && AsksToRetryLater(status)) {
                notBefore = clock + std::min<uint64_t>(*wait, MaxRetryAfterSeconds) * 1000;
                heldBack = true;
            }
            const bool wakeRetry = IsFailedPoll(status) && wokeAt && clock - *wokeAt < WakeRetryWindowMs;
            FUZZ_CHECK(shown == !wakeRetry);
            FUZZ_CHECK(next >= started + period || wished || wakeRetry);
            FUZZ_CHECK(!wakeRetry || wished || next == std::max(clock + WakeRetryDelayMs, notBefore));
            FUZZ_CHECK(next <= std::max(started + std::max(MaxBackOffMs, period) * 11 / 10,
                                        clock + uint64_t(MaxRetryAfterSeconds) * 1000));
            break;
        }
        case 1:
            schedule.Asked(clock);
            wished = true;
            break;
        default:
            schedule.Resumed(clock);
            wished = true;
            wokeAt = clock;
            FUZZ_CHECK(schedule.NextPollAt() <= std::max(clock + ResumeDelayMs, notBefore));
            break;
        }
        FUZZ_CHECK(!heldBack || schedule.NextPollAt() >= notBefore);
    }
    return 0;
}
