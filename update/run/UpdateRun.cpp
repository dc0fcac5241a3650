#include "AUpdate.h"

#include "InstructionTexts.h"

// The run, the top layer: wires the steps of every other member file in their order.

void TAutoUpdate::RunUpdate()
{
    restartNeeded_ = false;
    ftpFolderEntered_ = false;
    controlFilePath_.clear();
    budget_.Reset(TransferLimits);
    runUnderWay_ = true;
    struct RunEnd {
        bool& underWay;
        ~RunEnd() { underWay = false; }
    } const runEnd{runUnderWay_};
    stopReported_ = fileFailed_ = versionRefused_ = textRefused_ = false;
    serial_.reset();
    const TransferFolderScope transferFolder(*this);
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
    // The serial counts as carried out once nothing of it is left to do: its files in place,
    // or the updater started to put them there. Stored any sooner, a run that stops before
    // the restart would leave its new files waiting for good.
    if (appUpdate_ && restartNeeded_) {
        if (budget_.RunVerdict() != TransferBudget::Verdict::Cancelled)
            RestartApplication();
    } else {
        StoreSerial();
    }
    return true;
}

bool TAutoUpdate::TextsAccepted()
{
    struct Host : TextsHost {
        explicit Host(TAutoUpdate& update) : update(update) {}
        TAutoUpdate& update;

        int RunPreActions() override { return update.RunPreActions(); }
        std::unique_ptr<TStringList> FetchWhatsNewText() override { return update.FetchWhatsNewText(); }
        std::unique_ptr<TStringList> FetchAgreementText() override { return update.FetchAgreementText(); }
        bool Ended() override { return update.textRefused_ || update.RunStopped(); }
        int PresentWhatsNew(TStringList& text) override { return update.PresentWhatsNew(text); }
        int PresentAgreement(TStringList& text) override { return update.PresentAgreement(text); }
    } host(*this);
    return ::TextsAccepted(host);
}
