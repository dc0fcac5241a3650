#pragma once
#include <string>

#include "LatestItem.h"

// What one presentation tick acts on; the main window answers it with its components.
class NewsPresenterTarget {
public:
    virtual ~NewsPresenterTarget() = default;
    virtual void SetIconIndex(int index) = 0;
    virtual std::string DecodeText(const std::string& raw) = 0;
    virtual void SetPopupTitle(const std::string& title) = 0;
    virtual void SetPopupText(const std::string& text) = 0;
    virtual bool LogHoldsTitle(const std::string& title) = 0;
    virtual void AppendLogEntry(const std::string& title, const std::string& text) = 0;
    // The person must not be disturbed now: popups and sounds wait. askedFor: the person
    // asked for this popup ("Zobrazit aktuální zprávu"), so their quiet hour does not hold it.
    virtual bool PopupsMustWait(bool askedFor) = 0;
    virtual void ShowPopup() = 0;
    virtual bool SoundOn() = 0;
    virtual void PlaySound() = 0;
};

// The announcement still to be shown: the newest item, and how many others came while
// popups had to wait.
struct PendingPopup {
    bool pending = false;
    std::string title;
    std::string text;
    int others = 0;
    // The menu command asked for the next tick's announcement.
    bool askedFor = false;
};

// The 2-second tick: shows the fetch status, and announces an item whose title differs
// from the one announced last: its log entry at once, its popup and sound as soon as
// popups need not wait. Title and text are made one line each (ItemLine) before anything
// sees them: the popup, the log and its duplicate check all get that one form. Errors are
// not caught: one before the item counts as announced lets the next tick try again.
void PresentLatestItem(TLatestItemState& state, NewsPresenterTarget& target, PendingPopup& pending);

// "Zobrazit aktuální zprávu": the next tick announces the current item once more, as asked for.
void ForgetLastShownItem(TLatestItemState& state, PendingPopup& pending);
