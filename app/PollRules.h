#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// How politely the news page is polled: conditional requests, Retry-After and back-off.
// No platform calls: the clock and the random numbers are given.

// What the last 200 reply said about its page, sent back so that an unchanged page costs
// a 304 and no body.
struct PageValidators {
    std::string ETag;
    std::string LastModified;

    bool operator==(const PageValidators&) const = default;
};

// Longest validator kept: the page's server writes them, the poll only repeats them.
inline constexpr size_t MaxValidatorLength = 512;
// The furthest a Last-Modified may lie ahead of the local clock: further, it would make every
// later page look older than the kept one.
inline constexpr int64_t MaxLastModifiedAheadSeconds = 24 * 3600;

// An entity tag: "…" or W/"…", between the quotes only visible ASCII other than a quote.
bool IsEntityTag(std::string_view value);

// The validators of a 200 reply's header values, read at nowUnix (seconds since 1970 by the
// local clock, not the reply's Date, which the same server writes). Kept only what no honest
// server answers with a 304 for ever: an ETag that is an entity tag ("*" matches any page),
// a Last-Modified that is an HTTP date no later than a day ahead, neither longer than
// MaxValidatorLength. The poll goes without the others.
PageValidators KeptValidators(std::string_view etag, std::string_view lastModified, int64_t nowUnix);

// "If-None-Match" and "If-Modified-Since" header lines (each ending in CR LF) for the
// validators, nothing for those that are empty.
std::string ConditionalHeaders(const PageValidators& validators);

// How long after the 200 that gave them validators are sent back: a server that wrongly
// answers them with a 304 holds the news back no longer than this, as a poll without them
// then brings the page (and validators anew).
inline constexpr uint64_t ValidatorLifetimeMs = 3600 * 1000;

// The validators of the last 200 reply, kept for the address that gave it. Times are
// milliseconds of a steady clock.
class ValidatorMemory {
public:
    // Those of the reply that came from url at nowMs; a 200 without validators forgets them.
    void Keep(const std::string& url, PageValidators validators, uint64_t nowMs);
    // What a poll of url sends at nowMs: nothing for another address (a poll that was
    // redirected kept them for the address it ended at), nothing once ValidatorLifetimeMs
    // have passed since they were kept.
    PageValidators ForPoll(const std::string& url, uint64_t nowMs) const;

private:
    std::string url_;
    PageValidators validators_;
    uint64_t keptAt_ = 0;
};

// The fetch status a poll shows: 1 for a page (2xx) or a 304 to a poll that sent validators,
// 2 for anything else: an error status, a 304 to a plain poll (it names no page the poll
// has), or no reply at all (status 0).
unsigned char FetchStatusOf(unsigned status, bool sentValidators);

// Seconds since 1970 (UTC) of an HTTP date in any of its three forms (Sun, 06 Nov 1994
// 08:49:37 GMT; Sunday, 06-Nov-94 08:49:37 GMT; Sun Nov  6 08:49:37 1994).
std::optional<int64_t> ParseHttpDate(std::string_view text);

// The longest a Retry-After holds the poll back.
inline constexpr unsigned MaxRetryAfterSeconds = 3600;

// Seconds a Retry-After value asks to wait, given as seconds or as an HTTP date read
// against nowUnix; at most MaxRetryAfterSeconds, 0 for a date already past, nothing when
// the value is neither.
std::optional<unsigned> RetryAfterSeconds(std::string_view value, int64_t nowUnix);

// The reply statuses whose Retry-After is heeded: too many requests, unavailable.
bool AsksToRetryLater(unsigned status);

// A poll that got no reply (status 0: no connection, time-out), a server error or a "too
// many requests" is a failure, after which the polls back off.
bool IsFailedPoll(unsigned status);

// The back-off's ceiling; a longer poll period is never shortened by it.
inline constexpr uint64_t MaxBackOffMs = 10 * 60 * 1000;
// After the computer wakes up, the poll waits this long for the network to come back.
inline constexpr uint64_t ResumeDelayMs = 2000;
// The network comes back some seconds after a wake-up: a poll that fails this soon after it
// is tried again WakeRetryDelayMs later, backs nothing off and shows no failure.
inline constexpr uint64_t WakeRetryWindowMs = 60 * 1000;
inline constexpr uint64_t WakeRetryDelayMs = 5000;

// When the next poll may start. Times are milliseconds of a steady clock that also counts
// while the computer sleeps. The wait is counted from the start of the poll before.
class PollSchedule {
public:
    // random gives numbers spread evenly over its whole range.
    PollSchedule(uint64_t periodMs, std::function<uint32_t()> random);

    uint64_t NextPollAt() const { return nextPollAt_; }
    bool Due(uint64_t nowMs) const { return nowMs >= nextPollAt_; }
    // Until the poll ends, the next is due a period on.
    void Started(uint64_t nowMs);
    // The poll started last has ended at nowMs with that status (0: no reply);
    // retryAfterSeconds as RetryAfterSeconds read it from a reply that AsksToRetryLater.
    // False for a failure within WakeRetryWindowMs of a wake-up: it is not to be shown.
    bool Finished(uint64_t nowMs, unsigned status, std::optional<unsigned> retryAfterSeconds);
    // The user asks for the news: a poll at once (or once the poll now running has ended),
    // unless the polls are backing off or the server asked for time.
    void Asked(uint64_t nowMs);
    // The computer woke up: a poll soon, but not before the server's Retry-After.
    void Resumed(uint64_t nowMs);

private:
    uint64_t Jittered(uint64_t wait);
    // A poll by then, also when the poll now running ends later.
    void Want(uint64_t atMs);

    uint64_t periodMs_;
    std::function<uint32_t()> random_;
    uint64_t wait_;
    uint64_t startedAt_ = 0;
    uint64_t nextPollAt_ = 0;
    uint64_t notBefore_ = 0;
    bool failing_ = false;
    std::optional<uint64_t> wantedAt_;
    std::optional<uint64_t> wokeAt_;
};
