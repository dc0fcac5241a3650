#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "NewsPageScan.h"

// The item rows of the page read last and the outcome of the last fetch.
struct LatestItem {
    // Top to bottom, undecoded; none until a page with items was read.
    std::shared_ptr<const std::vector<PageRow>> Rows;
    // Counts the pages with items read: a new value is a page to look at.
    uint64_t Delivery = 0;
    uint8_t FetchStatus = 0;
};

// Shared by the news worker and the user-interface thread; every access takes the one
// lock, and the worker hands over a page's rows together.
class TLatestItemState {
public:
    LatestItem Snapshot() const;
    void Reset();
    void SetFetchStatus(uint8_t status);
    void PublishRows(std::vector<PageRow> rows);

private:
    mutable std::mutex mutex_;
    LatestItem item_;
};
