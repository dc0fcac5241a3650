#include "NewsPoller.h"

#include "HTTPRequest.h"
#include "NewsPageScan.h"
#include "Text.h"

namespace {

constexpr int ReplySuccessFirst = 200;
constexpr int ReplySuccessLast = 299;

} // namespace

TSR::TSR(std::shared_ptr<TLatestItemState> state, std::string newsUrl)
    : state_(std::move(state)), newsUrl_(std::move(newsUrl))
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

void TSR::Execute()
{
    THTTPRequest request(nullptr);
    request.TimeoutMs = NewsRequestTimeoutMs;
    request.TimeLimitMs = NewsRequestTimeLimitMs;
    // A server that compresses then sends a fraction of the page.
    request.AcceptEncoding = "gzip";
    request.ExecuteURL(newsUrl_);
    const bool success = int(request.StatusCode) >= ReplySuccessFirst && int(request.StatusCode) <= ReplySuccessLast;
    Publish([&](TLatestItemState& state) { state.SetFetchStatus(success ? 1 : 2); });
    std::optional<NewsItem> item = ScanNewsPage(request.ReplyLines.Lines(), ShortDateToday());
    if (!item)
        return;
    Publish([&](TLatestItemState& state) {
        if (item->Text)
            state.PublishItem(std::move(item->Title), std::move(*item->Text));
        else
            state.PublishTitle(std::move(item->Title));
    });
}

std::string ShortDateToday()
{
    wchar_t date[128] = {};
    int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128, nullptr);
    return length > 0 ? Narrow(std::wstring_view(date, size_t(length - 1))) : std::string();
}

void CreateSuspendedWorker(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
                           const std::string& newsUrl)
{
    worker.reset();
    worker = std::make_unique<TSR>(state, newsUrl);
}

void StartPoll(std::unique_ptr<TSR>& worker, std::unique_ptr<TSR>& abandoned,
               const std::shared_ptr<TLatestItemState>& state, const std::string& newsUrl,
               unsigned giveUpAfterMs)
{
    if (abandoned && abandoned->Finished())
        abandoned.reset();
    if (worker && worker->Running()) {
        if (abandoned || !worker->RunningLongerThan(giveUpAfterMs))
            return;
        worker->Abandon();
        abandoned = std::move(worker);
    }
    try {
        CreateSuspendedWorker(worker, state, newsUrl);
        worker->StartPolling();
    } catch (...) {
    }
}

void AbandonWorker(std::unique_ptr<TSR>& worker)
{
    if (!worker)
        return;
    worker->Terminate();
    if (!worker->Finished())
        (void)worker.release();
}
