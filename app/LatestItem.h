#pragma once
#include <cstdint>
#include <mutex>
#include <string>

// The newest news item, the title announced last and the outcome of the last fetch.
struct LatestItem {
    std::string LatestTitle;
    std::string LatestText;
    std::string LastShownTitle;
    uint8_t FetchStatus = 0;
};

// Shared by the news worker and the user-interface thread; every access takes the one
// lock, and the worker hands over an item's title and text together.
class TLatestItemState {
public:
    LatestItem Snapshot() const;
    void Reset();
    void SetFetchStatus(uint8_t status);
    void SetLastShownTitle(std::string title);
    void PublishItem(std::string title, std::string text);
    // An item whose text could not be read: the previous text stays.
    void PublishTitle(std::string title);

private:
    mutable std::mutex mutex_;
    LatestItem item_;
};
