#include "AUpdate.h"

#include "AnnouncedUpdate.h"
#include "AppPath.h"
#include "FileChecks.h"
#include "Text.h"

// The run, the top layer: its state made afresh, then its steps in their order.

void TAutoUpdate::RunUpdate() { Run(false); }

TUpdateRunResult TAutoUpdate::CheckForUpdate()
{
    Run(true);
    return run_.result;
}

void TAutoUpdate::Run(bool checkOnly)
{
    run_ = {.checkOnly = checkOnly};
    budget_.Reset(TransferLimits);
    runUnderWay_ = true;
    struct RunEnd {
        bool& underWay;
        ~RunEnd() { underWay = false; }
    } const runEnd{runUnderWay_};
    const TransferFolderScope transferFolder(*this);
    SettlePendingSerial();
    if (OpenInternetSession() != 0)
        return;
    // An error inside the run still closes what the run opened before it passes on.
    try {
        if (RunOpenedSession())
            return;
    } catch (...) {
        run_.result.Outcome = TUpdateRunOutcome::Failed;
        if (runOpen_)
            CloseInternetSession();
        throw;
    }
    CloseInternetSession();
}

bool TAutoUpdate::RunOpenedSession()
{
    TUpdateRunOutcome& outcome = run_.result.Outcome;
    if (UpdateType == TAutoUpdateType::ftpUpdate && ConnectFtpHost() != 0)
        ReportInternetError();
    if (!ConnectionHandle() && UpdateType != TAutoUpdateType::fileUpdate)
        return false;
    if (const int fetched = FetchControlFile(); fetched != 0) {
        if (fetched == kControlFileNothingNew)
            outcome = TUpdateRunOutcome::NothingNew;
        return false;
    }
    if (EvaluateUpdateSection() == ukNone) {
        run_.appUpdate = false;
        outcome = TUpdateRunOutcome::NothingNew;
        return false;
    }
    if (run_.checkOnly) {
        JudgeFinding();
        return false;
    }
    if (!TextsAccepted()) {
        run_.appUpdate = false;
        if (!run_.textRefused && !RunStopped())
            outcome = TUpdateRunOutcome::Declined;
        return false;
    }
    if (LoadFileList() <= 0) {
        run_.appUpdate = false;
        outcome = TUpdateRunOutcome::NothingNew;
        return false;
    }
    FilterFileList();
    DownloadFileList();
    // A run stopped among its downloads neither tells the maker nor restarts anything.
    if (RunStopped())
        return false;
    RunPostActions();
    CloseInternetSession();
    if (OnSuccess)
        OnSuccess(*this);
    // The serial counts as carried out once its files are in place: now, or for a restart
    // once a later start finds that the updater put them there. Stored any sooner, a run that
    // stops before the restart would leave its new files waiting for good.
    if (run_.appUpdate && run_.restartNeeded) {
        if (budget_.RunVerdict() != TransferBudget::Verdict::Cancelled)
            RestartApplication();
    } else {
        StoreSerial();
        if (!run_.fileFailed)
            outcome = TUpdateRunOutcome::Completed;
    }
    return true;
}

// An update the program could not take is not announced: one that does not replace the
// running program, or names a version no newer than the one the person has.
void TAutoUpdate::JudgeFinding()
{
    std::string newVersion = ControlValue("update", "newversion");
    std::string program = Narrow(GetAppPath() + L"main.exe");
    const bool newer = newVersion.empty() || IsNewerThanLocalFile(newVersion, program, -1, 0, true, false);
    if (!run_.appUpdate || !newer) {
        run_.result.Outcome = TUpdateRunOutcome::NothingNew;
        return;
    }
    run_.result.Outcome = TUpdateRunOutcome::Found;
    run_.result.AsksNothing = AsksNothingOfThePerson(controlText_);
    run_.result.Description = ControlValue("update", "descr");
}

// Pre-actions, then the what's-new and agreement texts; the agreement is fetched even after
// a declined what's-new text, but not shown. A text refused or a run stopped shows nothing
// more.
bool TAutoUpdate::TextsAccepted()
{
    if (RunPreActions() != 0)
        return false;
    bool declined = false;
    auto whatsNew = FetchWhatsNewText();
    if (run_.textRefused || RunStopped())
        return false;
    if (whatsNew)
        declined = PresentWhatsNew(*whatsNew) != 0;
    auto agreement = FetchAgreementText();
    if (run_.textRefused || RunStopped())
        return false;
    if (agreement && !declined)
        declined = PresentAgreement(*agreement) != 0;
    return !declined;
}
