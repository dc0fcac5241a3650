#include "PollRules.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A number of exactly `digits` decimal digits (1 or 2 when digits is 0).
std::optional<int> Number(std::string_view text, size_t digits)
{
    if (digits == 0 ? text.empty() || text.size() > 2 : text.size() != digits)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> Month(std::string_view name)
{
    static constexpr std::array<std::string_view, 12> names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (size_t i = 0; i < names.size(); ++i)
        if (name == names[i])
            return int(i) + 1;
    return std::nullopt;
}

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : days[size_t(month - 1)];
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::vector<std::string_view> Tokens(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> tokens;
    size_t start = 0;
    while ((start = text.find_first_not_of(separators, start)) != std::string_view::npos) {
        const size_t end = std::min(text.find_first_of(separators, start), text.size());
        tokens.push_back(text.substr(start, end - start));
        start = end;
    }
    return tokens;
}

std::optional<int64_t> DateTime(int year, std::optional<int> month, std::optional<int> day, std::string_view time)
{
    const std::vector<std::string_view> parts = Tokens(time, ":");
    if (!month || !day || time.size() != 8 || parts.size() != 3)
        return std::nullopt;
    const std::optional<int> hour = Number(parts[0], 2), minute = Number(parts[1], 2), second = Number(parts[2], 2);
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 60 || year < 1900 ||
        *day < 1 || *day > DaysInMonth(year, *month))
        return std::nullopt;
    return DaysFromCivil(year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

} // namespace

bool IsEntityTag(std::string_view value)
{
    if (value.starts_with("W/"))
        value.remove_prefix(2);
    return value.size() >= 2 && value.front() == '"' && value.back() == '"' &&
           std::all_of(value.begin() + 1, value.end() - 1, [](char c) { return c >= 0x21 && c <= 0x7E && c != '"'; });
}

PageValidators KeptValidators(std::string_view etag, std::string_view lastModified, int64_t nowUnix)
{
    PageValidators kept;
    if (etag.size() <= MaxValidatorLength && IsEntityTag(etag))
        kept.ETag = etag;
    const std::optional<int64_t> modified = ParseHttpDate(lastModified);
    if (lastModified.size() <= MaxValidatorLength && modified && *modified <= nowUnix + MaxLastModifiedAheadSeconds)
        kept.LastModified = lastModified;
    return kept;
}

std::string ConditionalHeaders(const PageValidators& validators)
{
    std::string headers;
    if (!validators.ETag.empty())
        headers += "If-None-Match: " + validators.ETag + "\r\n";
    if (!validators.LastModified.empty())
        headers += "If-Modified-Since: " + validators.LastModified + "\r\n";
    return headers;
}

void ValidatorMemory::Keep(const std::string& url, PageValidators validators, uint64_t nowMs)
{
    url_ = url;
    validators_ = std::move(validators);
    keptAt_ = nowMs;
}

PageValidators ValidatorMemory::ForPoll(const std::string& url, uint64_t nowMs) const
{
    if (url != url_ || nowMs - keptAt_ >= ValidatorLifetimeMs)
        return {};
    return validators_;
}

unsigned char FetchStatusOf(unsigned status, bool sentValidators)
{
    const bool page = status >= 200 && status <= 299;
    return page || (status == 304 && sentValidators) ? 1 : 2;
}

std::optional<int64_t> ParseHttpDate(std::string_view text)
{
    if (text.size() > 64)
        return std::nullopt;
    const std::vector<std::string_view> tokens = Tokens(text, " ");
    if (tokens.size() == 6 && tokens[0].size() == 4 && tokens[0][3] == ',' && tokens[5] == "GMT") {
        // Sun, 06 Nov 1994 08:49:37 GMT
        const std::optional<int> year = Number(tokens[3], 4);
        return year ? DateTime(*year, Month(tokens[2]), Number(tokens[1], 2), tokens[4]) : std::nullopt;
    }
    if (tokens.size() == 4 && tokens[0].size() > 4 && tokens[0].back() == ',' && tokens[3] == "GMT") {
        // Sunday, 06-Nov-94 08:49:37 GMT: a two-digit year from 70 on is of the 1900s.
        const std::vector<std::string_view> date = Tokens(tokens[1], "-");
        const std::optional<int> year = date.size() == 3 ? Number(date[2], 2) : std::nullopt;
        if (!year || tokens[1].size() != 9)
            return std::nullopt;
        return DateTime(*year + (*year >= 70 ? 1900 : 2000), Month(date[1]), Number(date[0], 2), tokens[2]);
    }
    if (tokens.size() == 5 && tokens[0].size() == 3) {
        // Sun Nov  6 08:49:37 1994
        const std::optional<int> year = Number(tokens[4], 4);
        return year ? DateTime(*year, Month(tokens[1]), Number(tokens[2], 0), tokens[3]) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<unsigned> RetryAfterSeconds(std::string_view value, int64_t nowUnix)
{
    value = Trimmed(value);
    if (!value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        unsigned seconds = 0;
        for (char c : value)
            seconds = std::min(seconds * 10 + unsigned(c - '0'), MaxRetryAfterSeconds);
        return seconds;
    }
    const std::optional<int64_t> date = ParseHttpDate(value);
    if (!date)
        return std::nullopt;
    return unsigned(std::clamp<int64_t>(*date - nowUnix, 0, MaxRetryAfterSeconds));
}

bool AsksToRetryLater(unsigned status) { return status == 429 || status == 503; }

bool IsFailedPoll(unsigned status) { return status == 0 || status == 429 || (status >= 500 && status <= 599); }

PollSchedule::PollSchedule(uint64_t periodMs, std::function<uint32_t()> random)
    : periodMs_(periodMs), random_(std::move(random)), wait_(periodMs)
{
}

uint64_t PollSchedule::Jittered(uint64_t wait)
{
    // Spread evenly over wait ± 10 %, so that copies that failed together do not return
    // together.
    const uint64_t span = wait / 5;
    return wait - wait / 10 + ((span * random_()) >> 32);
}

void PollSchedule::Started(uint64_t nowMs)
{
    startedAt_ = nowMs;
    wantedAt_.reset();
    // The soonest the next can be; the end of this poll tells.
    nextPollAt_ = nowMs + periodMs_;
}

bool PollSchedule::Finished(uint64_t nowMs, unsigned status, std::optional<unsigned> retryAfterSeconds)
{
    const bool failed = IsFailedPoll(status);
    const bool wakeRetry = failed && wokeAt_ && nowMs - *wokeAt_ < WakeRetryWindowMs;
    if (wakeRetry) {
        nextPollAt_ = nowMs + WakeRetryDelayMs;
    } else if (failed) {
        failing_ = true;
        wait_ = std::min(2 * wait_, std::max(MaxBackOffMs, periodMs_));
        nextPollAt_ = startedAt_ + std::max(Jittered(wait_), periodMs_);
    } else {
        failing_ = false;
        wait_ = periodMs_;
        nextPollAt_ = startedAt_ + periodMs_;
    }
    if (retryAfterSeconds && AsksToRetryLater(status))
        notBefore_ = nowMs + uint64_t(std::min(*retryAfterSeconds, MaxRetryAfterSeconds)) * 1000;
    // An ask or a wake-up while this poll ran is for a poll after it.
    if (wantedAt_)
        nextPollAt_ = std::min(nextPollAt_, *wantedAt_);
    nextPollAt_ = std::max(nextPollAt_, notBefore_);
    return !wakeRetry;
}

void PollSchedule::Want(uint64_t atMs)
{
    wantedAt_ = std::min(wantedAt_.value_or(atMs), atMs);
    nextPollAt_ = std::max(std::min(nextPollAt_, atMs), notBefore_);
}

void PollSchedule::Asked(uint64_t nowMs)
{
    if (!failing_)
        Want(nowMs);
}

void PollSchedule::Resumed(uint64_t nowMs)
{
    wokeAt_ = nowMs;
    Want(nowMs + ResumeDelayMs);
}
