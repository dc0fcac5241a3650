#include "AUpdate.h"

#include "FileIO.h"
#include "InstructionTexts.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateStatus.h"

namespace {

struct StatusCodes {
    int id;
    int statuscode;
    int errcode;
};

// The codes each status is reported with, unless the caller has more to say (the HTTP
// status of 916, the system error of 950).
constexpr StatusCodes kStatusCodes[] = {
    {912, 10, 3}, {913, 2, 1},  {914, 10, 2},  {915, 3, 0},   {916, 6, 0},  {917, 2, 1},  {918, 3, 0},  {919, 3, 0},
    {920, 3, 0},  {921, 3, 0},  {922, 1, 0},   {923, 3, 3},   {925, 2, 0},  {926, 3, 0},  {927, 11, 4}, {928, 3, 0},
    {929, 5, 0},  {930, 4, 0},  {931, 3, 0},   {932, 3, 0},   {933, 3, 0},  {934, 3, 0},  {935, 7, 0},  {936, 3, 0},
    {937, 12, 0}, {938, 14, 0}, {939, 13, 0},  {941, 3, 0},   {942, 3, 0},  {943, 3, 0},  {946, 2, 0},  {947, 8, 0},
    {948, 3, 0},  {949, 3, 0},  {950, 9, 0},   {951, 16, 5},  {952, 17, 5}, {953, 3, 0},  {954, 3, 0},  {955, 3, 0},
    {956, 11, 4}, {957, 2, 6},  {958, 4, 0},   {959, 11, 4}, {960, 11, 4},
};

StatusCodes CodesOf(int id)
{
    for (const StatusCodes& codes : kStatusCodes)
        if (codes.id == id)
            return codes;
    return {id, 0, 0};
}

} // namespace

TAutoUpdate::TAutoUpdate(TComponent* owner) : TComponent(owner) {}

TAutoUpdate::~TAutoUpdate() = default;

void TAutoUpdate::Notification(TComponent* removed)
{
    if (removed == Utility)
        Utility = nullptr;
}

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

void TAutoUpdate::Report(int id, const std::string& param)
{
    StatusCodes codes = CodesOf(id);
    ReportStatus(id, param, codes.statuscode, codes.errcode);
}

void TAutoUpdate::ReportStatus(int id, const std::string& param, int statuscode, int errcode)
{
    std::string message = StatusText(id, param);
    if (Logging) {
        std::string line = StatusLogLine(NowLocal(), SystemDateSeparator(), SystemTimeSeparator(), id, message,
                                         statuscode, errcode);
        AppendToFile(L"AUPDATE.LOG", line + "\r\n");
    }
    if (OnStatus)
        OnStatus(*this, message, statuscode, errcode);
}

HINTERNET TAutoUpdate::ConnectionHandle() const
{
    switch (UpdateType) {
    case TAutoUpdateType::httpUpdate:
        return session_.Get();
    case TAutoUpdateType::ftpUpdate:
        return ftpConnection_.Get();
    case TAutoUpdateType::fileUpdate:
        break;
    }
    return nullptr;
}
