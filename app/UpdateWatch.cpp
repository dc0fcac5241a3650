#include "UpdateWatch.h"

#include <windows.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "Application.h"
#include "NewsItemText.h"
#include "ShownText.h"
#include "Text.h"

namespace {

int64_t Now() { return int64_t(std::time(nullptr)); }

void ShowFailure()
{
    const std::wstring title = Application ? Widen(Application->Title()) : std::wstring();
    MessageBoxW(Application ? Application->Handle() : nullptr,
                L"Aktualizaci programu Soriel online se nepodařilo dokončit. Zkuste to prosím později.",
                title.c_str(), MB_OK | MB_ICONWARNING);
}

// Whether the program goes on after a run: it ends after a hand-over to the updater or a close.
bool ProgramGoesOn(const TUpdateRunResult& result)
{
    return result.Outcome != TUpdateRunOutcome::HandedOver && !(Application && Application->Terminated());
}

} // namespace

TUpdateWatch::TUpdateWatch(TAutoUpdate& update, TSlidePopup& popup, TMenuItem& menuItem, UpdateWatchHost& host,
                           unsigned periodMinutes)
    : update_(update), popup_(popup), menuItem_(menuItem), host_(host), periodMinutes_(periodMinutes)
{
    menuItem_.Visible = false;
}

void TUpdateWatch::StartupRunEnded(int64_t startedAt)
{
    Ran(startedAt);
    if (!lastCheckAnswered_)
        if (const std::optional<int64_t> stored = update_.LastAnsweredCheck())
            lastAnswered_ = AnsweredCheckAsRead(*stored, Now());
}

void TUpdateWatch::Ran(int64_t startedAt)
{
    lastCheck_ = startedAt;
    lastCheckAnswered_ = update_.LastRun().Answered;
    if (lastCheckAnswered_)
        lastAnswered_ = startedAt;
}

UpdateWatchFacts TUpdateWatch::Facts(int64_t now)
{
    return {.periodMinutes = periodMinutes_,
            .lastAnswered = lastAnswered_,
            .lastCheck = lastCheck_,
            .lastCheckAnswered = lastCheckAnswered_,
            .now = now,
            .awaitingPollAfterWake = awaitingPoll_,
            .popupShowing = popup_.OpenCount() > 0 || host_.NewsPopupShowing(),
            .popupsHeld = popupWaiting_ || host_.PopupsMustWait() || host_.NewsPopupWaiting(),
            .mainWindowActive = host_.MainWindowActive(),
            .idleMs = host_.IdleMs(),
            .runUnderWay = update_.RunUnderWay() || wholeRun_,
            .silentUpdateAnnounced = announced_ && announcedAsksNothing_};
}

void TUpdateWatch::Tick()
{
    ShowAnnouncementWhenAllowed();
    const int64_t now = Now();
    // A clock set back makes no check wait longer than a period from now.
    if (lastAnswered_)
        lastAnswered_ = AnsweredCheckAsRead(*lastAnswered_, now);
    lastCheck_ = std::min(lastCheck_, now);
    // Awake again and the page came: the network is back.
    if (awaitingPoll_ && host_.DeliveredPolls() != pollsAtWake_)
        awaitingPoll_ = false;
    switch (NextUpdateWatchStep(Facts(now))) {
    case UpdateWatchStep::Check:
        Check();
        break;
    case UpdateWatchStep::CarryOut:
        CarryOut(false);
        break;
    case UpdateWatchStep::Wait:
        break;
    }
}

void TUpdateWatch::Resumed()
{
    awaitingPoll_ = true;
    pollsAtWake_ = host_.DeliveredPolls();
}

void TUpdateWatch::Check()
{
    const int64_t startedAt = Now();
    menuItem_.Enabled = false;
    try {
        update_.CheckForUpdate();
    } catch (const std::exception&) {
    }
    menuItem_.Enabled = true;
    Ran(startedAt);
    const TUpdateRunResult& result = update_.LastRun();
    if (!result.Answered || !ProgramGoesOn(result))
        return;
    if (result.Outcome == TUpdateRunOutcome::Found)
        Announce(result);
    else
        Withdraw();
}

void TUpdateWatch::UpdateAsked()
{
    if (announced_)
        CarryOut(true);
}

void TUpdateWatch::CarryOut(bool askedByPerson)
{
    if (update_.RunUnderWay() || wholeRun_)
        return;
    wholeRun_ = true;
    menuItem_.Enabled = false;
    const TransferBudget::Limits limits = update_.TransferLimits;
    // The person asked and waits for it: only the start-up run holds the news for its allowance.
    if (askedByPerson)
        update_.TransferLimits.runTotalMs = std::numeric_limits<uint64_t>::max();
    const int64_t startedAt = Now();
    try {
        update_.RunUpdate();
    } catch (const std::exception&) {
    }
    update_.TransferLimits = limits;
    Ran(startedAt);
    const TUpdateRunResult& result = update_.LastRun();
    // After a hand-over the program ends: nothing more starts.
    if (!ProgramGoesOn(result))
        return;
    if (result.Outcome != TUpdateRunOutcome::Failed)
        Withdraw();
    else if (askedByPerson)
        ShowFailure();
    else
        announcedAsksNothing_ = false;
    wholeRun_ = false;
    menuItem_.Enabled = true;
    host_.ResumePolls();
}

void TUpdateWatch::Announce(const TUpdateRunResult& finding)
{
    // Shown once: a later check that finds the update again only keeps the menu item.
    if (!announced_)
        popupWaiting_ = true;
    announced_ = true;
    announcedAsksNothing_ = finding.AsksNothing;
    const std::string description = ItemLine(ShownText(finding.Description));
    popup_.Title = "Soriel online";
    popup_.Text = "K dispozici je nová verze programu Soriel online";
    if (!description.empty())
        popup_.Text += "\n\n" + description;
    menuItem_.Visible = true;
    ShowAnnouncementWhenAllowed();
}

void TUpdateWatch::Withdraw()
{
    announced_ = false;
    announcedAsksNothing_ = false;
    popupWaiting_ = false;
    menuItem_.Visible = false;
}

void TUpdateWatch::ShowAnnouncementWhenAllowed()
{
    if (!popupWaiting_ || host_.PopupsMustWait() || host_.NewsPopupShowing())
        return;
    popupWaiting_ = false;
    popup_.ShowNotification();
}
