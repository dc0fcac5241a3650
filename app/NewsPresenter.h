#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LatestItem.h"
#include "NewItems.h"
#include "NewsItemText.h"

// What one presentation tick acts on; the main window answers it with its components.
class NewsPresenterTarget {
public:
    virtual ~NewsPresenterTarget() = default;
    virtual void SetIconIndex(int index) = 0;
    virtual std::string DecodeText(const std::string& raw) = 0;
    // The local date and time now, and a day as the user's short date format writes it.
    virtual LocalTime Now() = 0;
    virtual std::string FormatDay(int64_t day) = 0;
    // The log's last entries, oldest first.
    virtual std::vector<LogEntry> LastLogEntries() = 0;
    // Appends the entries, oldest first, and saves the log once for them all.
    virtual void AppendLogEntries(const std::vector<LogEntry>& entries) = 0;
    virtual void SetPopupTitle(const std::string& title) = 0;
    virtual void SetPopupText(const std::string& text) = 0;
    // The person must not be disturbed now: popups and sounds wait. askedFor: the person
    // asked for this popup ("Zobrazit aktuální zprávu"), so their quiet hour does not hold it.
    virtual bool PopupsMustWait(bool askedFor) = 0;
    virtual void ShowPopup() = 0;
    virtual bool SoundOn() = 0;
    virtual void PlaySound() = 0;
};

// The announcement still to be shown: the newest item, and how many others came with it
// or while popups had to wait.
struct PendingPopup {
    bool pending = false;
    LogEntry item;
    int others = 0;
    // The menu command asked for the next tick's announcement.
    bool askedFor = false;
};

// What the tick keeps from one tick to the next.
struct PresenterMemory {
    // The page looked at last (LatestItem::Delivery) and its newest item.
    uint64_t delivery = 0;
    std::optional<LogEntry> current;
    // The current item is announced once more: at the first page after start-up, and
    // after "Zobrazit aktuální zprávu".
    bool announceCurrent = true;
    PendingPopup pending;
};

// The 2-second tick: shows the fetch status, and looks at each page the poll read once:
// its rows are decoded and made one line each (ItemLine), dated, and those the log does
// not hold yet (NewItems) are logged oldest first, all at once. One popup and one sound
// announce the newest of them with the count of the others, as soon as popups need not
// wait. Errors are not caught: one before the page counts as looked at lets the next tick
// try again.
void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target, PresenterMemory& memory);

// "Zobrazit aktuální zprávu": the next tick announces the current item once more, as asked for.
void ForgetLastShownItem(PresenterMemory& memory);
