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

void TSR::Execute()
{
    THTTPRequest request(nullptr);
    // A server that compresses then sends a fraction of the page.
    request.AcceptEncoding = "gzip";
    request.ExecuteURL(newsUrl_);
    const bool success = int(request.StatusCode) >= ReplySuccessFirst && int(request.StatusCode) <= ReplySuccessLast;
    state_->SetFetchStatus(success ? 1 : 2);
    std::optional<NewsItem> item = ScanNewsPage(request.ReplyLines.Lines(), ShortDateToday());
    if (!item)
        return;
    if (item->Text)
        state_->PublishItem(std::move(item->Title), std::move(*item->Text));
    else
        state_->PublishTitle(std::move(item->Title));
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

void StartPoll(std::unique_ptr<TSR>& worker, const std::shared_ptr<TLatestItemState>& state,
               const std::string& newsUrl)
{
    try {
        CreateSuspendedWorker(worker, state, newsUrl);
        worker->SetPriority(THREAD_PRIORITY_IDLE);
        worker->Start();
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
