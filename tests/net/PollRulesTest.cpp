#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>

#include "PollRules.h"

namespace {

// Sun, 06 Nov 1994 08:49:37 GMT
constexpr int64_t kNow = 784111777;

} // namespace

TEST(PollRules, ValidatorsAreKeptWhenSoundAndSentBack)
{
    struct Case {
        std::string etag, lastModified, headers;
    };
    const std::string tooLong = "\"" + std::string(MaxValidatorLength - 1, 'a') + "\"";
    const std::string longest = "\"" + std::string(MaxValidatorLength - 2, 'a') + "\"";
    const std::string date = "Sun, 06 Nov 1994 08:49:37 GMT";
    const std::string dateLine = "If-Modified-Since: " + date + "\r\n";
    const Case cases[] = {
        {"\"5f-1a\"", date, "If-None-Match: \"5f-1a\"\r\n" + dateLine},
        {"W/\"x\"", "", "If-None-Match: W/\"x\"\r\n"},
        {"\"\"", "", "If-None-Match: \"\"\r\n"},
        {"", date, dateLine},
        {"", "", ""},
        {longest, "", "If-None-Match: " + longest + "\r\n"},
        // A hostile server's values are dropped, never cut or sent as they stand.
        {tooLong, date, dateLine},
        {"\"a\"\r\nX-Injected: 1", "", ""},
        {"\"a\x01\"", "Sun, 06 Nov 1994 08:49:37 G\xc3\x89T", ""},
        // What an honest server answers with a 304 whatever its page: "*" matches any, a date
        // ahead of the local clock is later than any page it will write until then.
        {"*", "Fri, 31 Dec 9999 23:59:59 GMT", ""},
        {"W/*", "Mon, 07 Nov 1994 08:49:37 GMT", "If-Modified-Since: Mon, 07 Nov 1994 08:49:37 GMT\r\n"},
        {"\"*\"", "Mon, 07 Nov 1994 08:49:38 GMT", "If-None-Match: \"*\"\r\n"},
        // Not an entity tag or not an HTTP date.
        {"5f-1a", "yesterday", ""},
        {"w/\"x\"", "Sun, 06 Nov 1994 08:49:37", ""},
        {"\"a b\"", "", ""},
        {"\"a\"b\"", "", ""},
        {"\"", "", ""},
        {"W/\"x", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConditionalHeaders(KeptValidators(c.etag, c.lastModified, kNow)), c.headers) << c.etag;
}

// Validators kept from a 200 of `keptFrom` at 1000 ms; what a poll of `polled` sends at `at`.
TEST(PollRules, ValidatorsGoOnlyToTheirAddressAndNotForMoreThanAnHour)
{
    const std::string news = "http://news.example/index.php/zpravodajstvy";
    const std::string moved = "http://other.example/index.php/zpravodajstvy";
    const PageValidators kept{"\"v1\"", "Sun, 06 Nov 1994 08:49:37 GMT"};
    struct Case {
        std::string keptFrom, polled;
        uint64_t at;
        bool sent;
    };
    const Case cases[] = {
        {news, news, 1000, true},
        {news, news, 1000 + ValidatorLifetimeMs - 1, true},
        {news, news, 1000 + ValidatorLifetimeMs, false},
        // The poll of news was redirected: its 200 came from another address.
        {moved, news, 2000, false},
        {news, moved, 2000, false},
        {news, "http://NEWS.example/index.php/zpravodajstvy", 2000, false},
    };
    for (const Case& c : cases) {
        ValidatorMemory memory;
        memory.Keep(c.keptFrom, kept, 1000);
        EXPECT_EQ(memory.ForPoll(c.polled, c.at), c.sent ? kept : PageValidators{}) << c.polled << " at " << c.at;
    }

    // A later 200 renews them, and one without validators forgets them.
    ValidatorMemory memory;
    memory.Keep(news, kept, 0);
    memory.Keep(news, {"\"v2\"", ""}, ValidatorLifetimeMs);
    EXPECT_EQ(memory.ForPoll(news, ValidatorLifetimeMs + 1).ETag, "\"v2\"");
    memory.Keep(news, {}, ValidatorLifetimeMs + 2);
    EXPECT_EQ(memory.ForPoll(news, ValidatorLifetimeMs + 3), PageValidators{});
}

TEST(PollRules, FetchStatusShowsAPageOrAnAnsweredConditionalAsSuccessAndAllElseAsFailure)
{
    struct Case {
        unsigned status;
        bool sentValidators;
        unsigned char fetchStatus;
    };
    const Case cases[] = {
        {200, false, 1}, {204, true, 1},  {299, false, 1}, {304, true, 1}, {304, false, 2}, {0, false, 2},
        {0, true, 2},    {199, false, 2}, {300, true, 2},  {404, true, 2}, {500, false, 2}, {503, true, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FetchStatusOf(c.status, c.sentValidators), c.fetchStatus) << c.status << " " << c.sentValidators;
}

TEST(PollRules, RetryAfterInSecondsAndAsAnHttpDateIsCappedAtAnHour)
{
    struct Case {
        std::string value;
        std::optional<unsigned> seconds;
    };
    const Case cases[] = {
        {"30", 30},
        {" 120\t", 120},
        {"0", 0},
        {"3600", 3600},
        {"3601", 3600},
        {"99999999999999999999999999", 3600},
        {"Sun, 06 Nov 1994 08:50:37 GMT", 60},
        {"Sunday, 06-Nov-94 08:50:37 GMT", 60},
        {"Sun Nov  6 08:50:37 1994", 60},
        {"Sun, 06 Nov 1994 08:49:37 GMT", 0},
        {"Sat, 05 Nov 1994 08:49:37 GMT", 0},
        {"Mon, 07 Nov 1994 08:49:37 GMT", 3600},
        {"", std::nullopt},
        {"-5", std::nullopt},
        {"1.5", std::nullopt},
        {"30 s", std::nullopt},
        {"Sun, 06 Nov 1994 08:50:37 UTC", std::nullopt},
        {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
        {"Sun, 31 Feb 1994 08:50:37 GMT", std::nullopt},
        {"Sun, 6 Nov 1994 08:50:37 GMT", std::nullopt},
        {"Sun, 06 Now 1994 08:50:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 8:50:37 GMT", std::nullopt},
        {"soon", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RetryAfterSeconds(c.value, kNow), c.seconds) << c.value;

    EXPECT_EQ(ParseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT"), 0);
    EXPECT_EQ(ParseHttpDate("Tue, 29 Feb 2000 12:00:00 GMT"), 951825600);
    EXPECT_EQ(ParseHttpDate("Tuesday, 31-Dec-69 23:59:59 GMT"), 3155759999);
    EXPECT_EQ(ParseHttpDate("Tue, 29 Feb 1900 12:00:00 GMT"), std::nullopt);
}

// A poll period of 30 s; each step starts a poll at `start`, which ends 100 ms later with
// `status`, and the next poll is then due at `next`. The random source gives `random`.
TEST(PollRules, FailuresBackOffDoublingToTenMinutesWithJitterAndASuccessReturnsToThePeriod)
{
    struct Step {
        uint64_t start;
        unsigned status;
        std::optional<unsigned> retryAfter;
        uint32_t random;
        uint64_t next;
    };
    constexpr uint32_t kLowest = 0, kMiddle = 0x80000000u, kHighest = 0xFFFFFFFFu;
    const Step steps[] = {
        {0, 200, std::nullopt, kMiddle, 30000},
        {30000, 304, std::nullopt, kMiddle, 60000},
        {60000, 0, std::nullopt, kMiddle, 120000},                // no reply: 60 s
        {120000, 500, std::nullopt, kLowest, 120000 + 108000},    // 120 s - 10 %
        {228000, 502, std::nullopt, kHighest, 228000 + 263999},   // 240 s + 10 % (rounded down)
        {491999, 429, std::nullopt, kMiddle, 491999 + 480000},    // 480 s
        {971999, 503, std::nullopt, kMiddle, 971999 + 600000},    // capped at 10 min
        {1571999, 0, std::nullopt, kLowest, 1571999 + 540000},    // stays there, jittered
        {2111999, 404, std::nullopt, kMiddle, 2111999 + 30000},   // a reply, if not a good one
        {2141999, 503, 300u, kMiddle, 2141999 + 100 + 300000},    // Retry-After beyond the back-off
        {2442099, 503, 5u, kMiddle, 2442099 + 120000},            // the back-off beyond Retry-After
        {2562099, 429, 999999u, kMiddle, 2562099 + 100 + 3600000}, // at most an hour
        {6162199, 200, 300u, kMiddle, 6162199 + 30000},           // Retry-After only with 429 and 503
    };
    std::deque<uint32_t> randoms;
    PollSchedule schedule(30000, [&] {
        uint32_t value = randoms.front();
        randoms.pop_front();
        return value;
    });
    EXPECT_TRUE(schedule.Due(0));
    for (const Step& step : steps) {
        randoms = {step.random};
        schedule.Started(step.start);
        schedule.Finished(step.start + 100, step.status, step.retryAfter);
        EXPECT_EQ(schedule.NextPollAt(), step.next) << "poll at " << step.start;
        EXPECT_FALSE(schedule.Due(step.next - 1));
        EXPECT_TRUE(schedule.Due(step.next));
    }
}

TEST(PollRules, JitterStaysWithinTenPercentAndSpreads)
{
    uint32_t random = 0;
    uint64_t lowest = UINT64_MAX, highest = 0;
    for (uint64_t i = 0; i < 1000; ++i) {
        random = uint32_t(i * 4294967u + i / 7);
        PollSchedule fresh(30000, [&] { return random; });
        fresh.Started(0);
        fresh.Finished(10, 0, std::nullopt);
        lowest = std::min(lowest, fresh.NextPollAt());
        highest = std::max(highest, fresh.NextPollAt());
    }
    EXPECT_GE(lowest, 54000u);
    EXPECT_LE(highest, 66000u);
    EXPECT_LT(lowest, 54100u);
    EXPECT_GT(highest, 65900u);
}

TEST(PollRules, AskingAndWakingUpPollSoonButNeverBeforeTheServersRetryAfter)
{
    PollSchedule schedule(30000, [] { return 0x80000000u; });
    schedule.Started(0);
    schedule.Finished(100, 200, std::nullopt);
    schedule.Asked(10000);
    EXPECT_EQ(schedule.NextPollAt(), 10000u) << "the user asks: a poll at once";

    schedule.Started(10000);
    schedule.Finished(10100, 0, std::nullopt);
    schedule.Asked(20000);
    EXPECT_EQ(schedule.NextPollAt(), 70000u) << "backing off: the user's ask waits too";
    schedule.Resumed(30000);
    EXPECT_EQ(schedule.NextPollAt(), 30000 + ResumeDelayMs) << "awake: soon";
    schedule.Resumed(30000 + ResumeDelayMs - 500);
    EXPECT_EQ(schedule.NextPollAt(), 30000 + ResumeDelayMs) << "a poll due sooner stays sooner";

    schedule.Started(40000);
    schedule.Finished(40100, 503, 1800u);
    schedule.Resumed(50000);
    EXPECT_EQ(schedule.NextPollAt(), 40100 + 1800000u) << "awake, but the server asked for time";

    // Woken up or asked while a poll runs: the next comes after it, not a period on.
    schedule.Started(1900000);
    schedule.Resumed(1900500);
    schedule.Finished(1901000, 200, std::nullopt);
    EXPECT_EQ(schedule.NextPollAt(), 1900500 + ResumeDelayMs);
    schedule.Started(2000000);
    schedule.Asked(2000500);
    schedule.Finished(2001000, 304, std::nullopt);
    EXPECT_EQ(schedule.NextPollAt(), 2000500u);

    // Woken up while the polls back off (a minute): the network takes some seconds to come
    // back, so failures within a minute of the wake are tried again 5 s on, unshown and
    // backing nothing off, still after a Retry-After; after that minute a failure is one as any.
    PollSchedule woken(30000, [] { return 0x80000000u; });
    woken.Started(0);
    EXPECT_TRUE(woken.Finished(100, 0, std::nullopt));
    woken.Resumed(100000);
    woken.Started(102000);
    EXPECT_FALSE(woken.Finished(102500, 0, std::nullopt));
    EXPECT_EQ(woken.NextPollAt(), 107500u);
    woken.Started(107500);
    EXPECT_FALSE(woken.Finished(108000, 503, 20u));
    EXPECT_EQ(woken.NextPollAt(), 128000u) << "the Retry-After holds";
    woken.Started(128000);
    EXPECT_FALSE(woken.Finished(159999, 0, std::nullopt));
    EXPECT_EQ(woken.NextPollAt(), 164999u);
    woken.Started(164999);
    EXPECT_TRUE(woken.Finished(165000, 0, std::nullopt));
    EXPECT_EQ(woken.NextPollAt(), 164999 + 120000u) << "the minute before the sleep, doubled once";
    PollSchedule awake(30000, [] { return 0x80000000u; });
    awake.Resumed(0);
    awake.Started(2000);
    EXPECT_TRUE(awake.Finished(2100, 200, std::nullopt));
    EXPECT_EQ(awake.NextPollAt(), 32000u) << "a success after a wake-up is one as any";

    // A period longer than the back-off's ceiling is never shortened by it, nor by the
    // jitter's lowest draw: a failure never brings the next poll nearer than a success.
    for (uint64_t period : {uint64_t(86400000), uint64_t(570000)}) {
        PollSchedule failing(period, [] { return 0u; });
        failing.Started(0);
        failing.Finished(100, 0, std::nullopt);
        EXPECT_EQ(failing.NextPollAt(), period) << period;
    }
}
