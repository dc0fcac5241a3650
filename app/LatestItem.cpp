#include "LatestItem.h"

LatestItem TLatestItemState::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return item_;
}

void TLatestItemState::Reset()
{
    std::lock_guard lock(mutex_);
    item_ = {};
}

void TLatestItemState::SetFetchStatus(uint8_t status)
{
    std::lock_guard lock(mutex_);
    item_.FetchStatus = status;
}

void TLatestItemState::SetLastShownTitle(std::string title)
{
    std::lock_guard lock(mutex_);
    item_.LastShownTitle = std::move(title);
}

void TLatestItemState::PublishItem(std::string title, std::string text)
{
    std::lock_guard lock(mutex_);
    item_.LatestTitle = std::move(title);
    item_.LatestText = std::move(text);
}

void TLatestItemState::PublishTitle(std::string title)
{
    std::lock_guard lock(mutex_);
    item_.LatestTitle = std::move(title);
}
