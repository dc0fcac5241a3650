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

void TLatestItemState::PublishRows(std::vector<PageRow> rows)
{
    // Made outside the lock: the reader only ever copies the pointer.
    auto shared = std::make_shared<const std::vector<PageRow>>(std::move(rows));
    std::lock_guard lock(mutex_);
    item_.Rows = std::move(shared);
    ++item_.Delivery;
}
