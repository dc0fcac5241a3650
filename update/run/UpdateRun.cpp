#include "AUpdate.h"

// The run, the top layer: its state made afresh, then its steps in their order.

void TAutoUpdate::RunUpdate()
{
    run_ = {};
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
        if (runOpen_)
            CloseInternetSession();
        throw;
    }
    CloseInternetSession();
}

bool TAutoUpdate::RunOpenedSession()
{
    if (UpdateType == TAutoUpdateType::ftpUpdate && ConnectFtpHost() != 0)
        ReportInternetError();
    if (!ConnectionHandle() && UpdateType != TAutoUpdateType::fileUpdate)
        return false;
    if (FetchControlFile() != 0)
        return false;
    if (EvaluateUpdateSection() == ukNone || !TextsAccepted() || LoadFileList() <= 0) {
        appUpdate_ = false;
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
    if (appUpdate_ && run_.restartNeeded) {
        if (budget_.RunVerdict() != TransferBudget::Verdict::Cancelled)
            RestartApplication();
    } else {
        StoreSerial();
    }
    return true;
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
