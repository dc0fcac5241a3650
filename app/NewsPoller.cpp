#include "NewsPoller.h"

#include <algorithm>
#include <ctime>
#include <random>

#include "HTTPRequest.h"
#include "NewsPageScan.h"

namespace {

constexpr unsigned NotModified = 304;
constexpr unsigned ReplyOk = 200;
// The poll timer looks again no sooner than this, and this often while a poll runs late.
constexpr unsigned ShortestLookMs = 50;
constexpr unsigned WhilePollRunsLookMs = 1000;

// Each copy of the program its own sequence, so that their back-offs spread apart.
std::function<uint32_t()> RandomSource()
{
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return uint32_t((*engine)()); };
}

} // namespace

TPollMemory::TPollMemory(unsigned periodMs) : periodMs_(periodMs), schedule_(periodMs, RandomSource()) {}

PageValidators TPollMemory::Validators(const std::string& url) const
{
    std::lock_guard lock(mutex_);
    return validators_.ForPoll(url, GetTickCount64());
}

void TPollMemory::KeepValidators(const std::string& url, PageValidators validators)
{
    std::lock_guard lock(mutex_);
    validators_.Keep(url, std::move(validators), GetTickCount64());
}

void TPollMemory::Started()
{
    std::lock_guard lock(mutex_);
    schedule_.Started(GetTickCount64());
}

bool TPollMemory::Finished(unsigned status, std::optional<unsigned> retryAfterSeconds)
{
    std::lock_guard lock(mutex_);
    return schedule_.Finished(GetTickCount64(), status, retryAfterSeconds);
}

void TPollMemory::Asked()
{
    std::lock_guard lock(mutex_);
    schedule_.Asked(GetTickCount64());
}

void TPollMemory::Resumed()
{
    std::lock_guard lock(mutex_);
    schedule_.Resumed(GetTickCount64());
}

unsigned long long TPollMemory::DueIn() const
{
    std::lock_guard lock(mutex_);
    const unsigned long long now = GetTickCount64();
    return schedule_.Due(now) ? 0 : schedule_.NextPollAt() - now;
}

void TPollMemory::Delivered()
{
    std::lock_guard lock(mutex_);
    ++delivered_;
}

unsigned long long TPollMemory::DeliveredPolls() const
{
    std::lock_guard lock(mutex_);
    return delivered_;
}

TSR::TSR(std::shared_ptr<TLatestItemState> state, std::string newsUrl, std::shared_ptr<TPollMemory> memory)
    : state_(std::move(state)), newsUrl_(std::move(newsUrl)), memory_(std::move(memory))
{
}

TSR::~TSR()
{
    Terminate();
    WaitFor();
}

void TSR::StartPolling()
{
    SetPriority(THREAD_PRIORITY_IDLE);
    startedAt_ = GetTickCount64();
    // Before the body can report its end.
    if (memory_)
        memory_->Started();
    Start();
}

bool TSR::RunningLongerThan(unsigned milliseconds) const
{
    return Running() && GetTickCount64() - startedAt_ > milliseconds;
}

void TSR::Abandon()
{
    std::lock_guard lock(publishing_);
    abandoned_ = true;
    Terminate();
}

void TSR::Publish(const std::function<void(TLatestItemState&)>& write)
{
    std::lock_guard lock(publishing_);
    if (!abandoned_)
        write(*state_);
}

void TSR::Remember(unsigned status, const THTTPRequest& request, bool sentValidators)
{
    std::lock_guard lock(publishing_);
    if (abandoned_)
        return;
    bool shown = true;
    if (memory_) {
        if (status == ReplyOk)
            memory_->KeepValidators(request.FinalURL, KeptValidators(request.ReplyHeader("ETag"),
                                                                     request.ReplyHeader("Last-Modified"),
                                                                     int64_t(std::time(nullptr))));
        std::optional<unsigned> retryAfter;
        if (AsksToRetryLater(status))
            retryAfter = RetryAfterSeconds(request.ReplyHeader("Retry-After"), int64_t(std::time(nullptr)));
        shown = memory_->Finished(status, retryAfter);
    }
    const unsigned char fetchStatus = FetchStatusOf(status, sentValidators);
    if (shown)
        state_->SetFetchStatus(fetchStatus);
    if (memory_ && fetchStatus == 1)
        memory_->Delivered();
}

void TSR::Execute()
{
    THTTPRequest request(nullptr);
    request.TimeoutMs = NewsRequestTimeoutMs;
    request.TimeLimitMs = NewsRequestTimeLimitMs;
    request.MaxReplyBytes = MaxNewsPageSize;
    // The page is scanned where it lies, never split into a string per line.
    request.SplitReplyLines = false;
    // A server that compresses then sends a fraction of the page.
    request.AcceptEncoding = "gzip";
    if (memory_)
        request.Conditions = ConditionalHeaders(memory_->Validators(newsUrl_));
    const bool sentValidators = !request.Conditions.empty();
    try {
        request.ExecuteURL(newsUrl_);
    } catch (...) {
        Remember(0, request, sentValidators);
        throw;
    }
    Remember(request.StatusCode, request, sentValidators);
    // The page is as the last poll found it: nothing to scan.
    if (request.StatusCode == NotModified)
        return;
    std::vector<PageRow> rows = ScanNewsPage(request.ReplyStream.View());
    if (rows.empty())
        return;
    Publish([&](TLatestItemState& state) { state.PublishRows(std::move(rows)); });
}

void CreateSuspendedWorker(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
                           const std::string& newsUrl, const std::shared_ptr<TPollMemory>& memory)
{
    worker.reset();
    worker = std::make_unique<TSR>(state, newsUrl, memory);
}

bool StartPoll(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
               const std::shared_ptr<TLatestItemState>& state, const std::string& newsUrl,
               unsigned giveUpAfterMs, const std::shared_ptr<TPollMemory>& memory)
{
    if (abandoned && abandoned->Finished())
        abandoned.reset();
    if (worker && worker->Running()) {
        if (abandoned || !worker->RunningLongerThan(giveUpAfterMs))
            return false;
        worker->Abandon();
        abandoned = std::move(worker);
    }
    try {
        CreateSuspendedWorker(worker, state, newsUrl, memory);
        worker->StartPolling();
        return true;
    } catch (...) {
        return false;
    }
}

unsigned StartPollWhenDue(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
                          const std::shared_ptr<TLatestItemState>& state, const std::string& newsUrl,
                          const std::shared_ptr<TPollMemory>& memory)
{
    // A poll still running delivers; the next starts soon after it has ended.
    if (memory->DueIn() == 0 && !StartPoll(worker, abandoned, state, newsUrl, PollGiveUpAfterMs, memory))
        return std::min(memory->PeriodMs(), WhilePollRunsLookMs);
    const unsigned long long dueIn = memory->DueIn();
    // The end of the poll now running may bring the next one nearer (a retry after a wake-up).
    if (worker && worker->Running())
        return unsigned(std::clamp<unsigned long long>(dueIn, ShortestLookMs, WhilePollRunsLookMs));
    return unsigned(std::max<unsigned long long>(dueIn, ShortestLookMs));
}

void AbandonWorker(std::unique_ptr<TSR>& worker)
{
    if (!worker)
        return;
    worker->Terminate();
    if (!worker->Finished())
        (void)worker.release();
}
