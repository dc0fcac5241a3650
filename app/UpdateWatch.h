#pragma once
#include <cstdint>
#include <optional>

#include "AUpdate.h"
#include "Menus.h"
#include "SlidePopup.h"
#include "UpdateWatchRules.h"

// What the watch asks of the main window.
class UpdateWatchHost {
public:
    virtual ~UpdateWatchHost() = default;
    virtual bool NewsPopupShowing() = 0;
    // Popups must wait now: the presenter's own decision.
    virtual bool PopupsMustWait() = 0;
    // A news popup waits to be shown.
    virtual bool NewsPopupWaiting() = 0;
    virtual bool MainWindowActive() = 0;
    // Since the person last touched keyboard or mouse.
    virtual uint64_t IdleMs() = 0;
    // How many polls have brought the page since the start.
    virtual unsigned long long DeliveredPolls() = 0;
    // A run the person asked for, or one that went ahead by itself, has ended: the polls go on.
    virtual void ResumePolls() = 0;
};

// The update of a copy that runs for weeks: checks when the rules say so, announces an update
// it finds by a popup and the menu item "Aktualizovat", and carries it out when the person
// clicks either, or by itself when it asks nothing and the person is away. A check shows
// nothing but what it finds; a failed run the person asked for is told in one message.
class TUpdateWatch {
public:
    TUpdateWatch(TAutoUpdate& update, TSlidePopup& popup, TMenuItem& menuItem, UpdateWatchHost& host,
                 unsigned periodMinutes);

    unsigned PeriodMinutes() const { return periodMinutes_; }
    // The start-up run, begun at startedAt (UTC seconds), has ended.
    void StartupRunEnded(int64_t startedAt);
    // Every few seconds: the announcement once it may show, then a check or a silent update
    // when the rules say so.
    void Tick();
    // The computer woke up: a check waits until a poll has brought the page again.
    void Resumed();
    // "Aktualizovat", or a click on the announcement: the whole run, unless one is under way.
    void UpdateAsked();
    // A whole run started while the program runs is under way: the polls wait for it.
    bool WholeRunUnderWay() const { return wholeRun_; }

private:
    void Check();
    void CarryOut(bool askedByPerson);
    // Times and answer of the run or check that began at startedAt.
    void Ran(int64_t startedAt);
    void Announce(const TUpdateRunResult& finding);
    void Withdraw();
    void ShowAnnouncementWhenAllowed();
    UpdateWatchFacts Facts(int64_t now);

    TAutoUpdate& update_;
    TSlidePopup& popup_;
    TMenuItem& menuItem_;
    UpdateWatchHost& host_;
    const unsigned periodMinutes_;
    std::optional<int64_t> lastAnswered_;
    int64_t lastCheck_ = 0;
    bool lastCheckAnswered_ = false;
    bool announced_ = false;
    // The announcement asks nothing of the person; cleared when going ahead by itself failed,
    // until a check finds the update again.
    bool announcedAsksNothing_ = false;
    bool popupWaiting_ = false;
    bool awaitingPoll_ = false;
    unsigned long long pollsAtWake_ = 0;
    bool wholeRun_ = false;
};
