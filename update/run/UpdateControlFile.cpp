#include "AUpdate.h"

#include "ApplicationSection.h"
#include "ControlExpiry.h"
#include "ControlSerial.h"
#include "DetachedSignature.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "FileListStep.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateSection.h"
#include "UpdateStatus.h"

// The control file, the [update] evaluation and the file list, on UpdateTransfers and
// UpdateState.

// Fetch, detached signature, serial, the Signature text, then [application].
int TAutoUpdate::FetchControlFile()
{
    const std::string address = ControlFileURL();
    const std::string folder = TemporaryFolder();
    if (!DownloadFile(ConnectionHandle(), address, false, folder, std::nullopt, kMaxTextBytes,
                      TransferBudget::Kind::Small)) {
        Report(usControlFileNotFound);
        return 4;
    }
    StoreAnsweredCheck();
    run_.controlFilePath = folder + FileNameFromURL(address);
    std::string bytes = ReadWholeFile(Widen(run_.controlFilePath)).value_or("");
    Report(usControlFileFound);
    // Only the exact bytes the signature covers are ever read.
    if (AuthenticationRequired()) {
        // The detached signature file's first line.
        const std::unique_ptr<TStringList> signature = DownloadText(address + ".sig", kMaxSignatureBytes);
        if (!signature || signature->Count() == 0 || !SignatureVerifies(bytes, (*signature)[0], PublicKeys)) {
            Report(usInvalidSignature);
            return 5;
        }
    }
    controlText_ = std::move(bytes);
    // A signed file stays signed for ever: its expiry keeps one served again after a newer
    // release from holding a copy back for longer than that.
    const std::string expires = ControlValue("update", "expires");
    const TDateTime now = NowUtc();
    if (JudgeExpiry(expires, now, AuthenticationRequired()) != ExpiryVerdict::Current) {
        Report(usControlFileExpired, "expires " + (expires.empty() ? std::string("(none)") : expires) +
                                         ", today " + IsoDateText(now) + " (UTC)");
        return 5;
    }
    // Only its serial tells a new one from one served again.
    if (AuthenticationRequired()) {
        const std::string serialText = ControlValue("update", "serial");
        const std::optional<unsigned long long> serial = ParseSerial(serialText);
        const std::optional<std::string> stored = LastSerial();
        const SerialBar bar = SerialToReach(stored, SerialFloor);
        if (bar.StoredUnreadable)
            Report(usStoredSerialUnreadable, *stored);
        switch (JudgeSerial(serial, bar.Serial, PendingSerial())) {
        case SerialVerdict::Refused:
            Report(usSerialRefused, serialText);
            return 5;
        case SerialVerdict::NothingNew:
            Report(usNoNewVersion);
            return kControlFileNothingNew;
        case SerialVerdict::Fresh:
            run_.serial = serial;
            break;
        }
    }
    int code = 0;
    if (SignatureCheck && ControlValue("update", "signature") != Signature) {
        Report(usInvalidSignature);
        code = 5;
    }
    const ApplicationValues application = ReadApplicationSection(
        controlText_, [this](const std::string& value) { return ExpandPrefixes(value); },
        [this](std::string& parameters) {
            if (OnSetAppParams)
                OnSetAppParams(*this, parameters);
        });
    run_.appUpdate = application.AppUpdate;
    run_.appCommand = application.Command;
    run_.appComponents = application.Components;
    run_.silentRestart = application.SilentRestart;
    return code;
}

// The component's operations and handlers as the control file's decisions call them.
ComponentCalls TAutoUpdate::Calls()
{
    return {
        .ExpandPrefixes = [this](const std::string& value) { return ExpandPrefixes(value); },
        .ControlDateTime = [this](const std::string& date,
                                  const std::string& time) { return ControlDateTime(date, time); },
        .LastUpdateDate = [this] { return LastUpdateDate(); },
        .IsNewerThanLocal = [this](std::string& newVersion, std::string& localFile, int checksum,
                                   int size) { return IsNewerThanLocal(newVersion, localFile, checksum, size); },
        .CustomValidate = [this](const std::string& message, const std::string& parameter) -> std::optional<bool> {
            if (!OnCustomValidate)
                return std::nullopt;
            bool allow = true;
            OnCustomValidate(*this, message, parameter, allow);
            return allow;
        },
        .CustomVersionIsNew = [this](const std::string& customVersion,
                                     const std::string& localFile) -> std::optional<bool> {
            if (!OnFileVersionCheck)
                return std::nullopt;
            bool isNew = true;
            OnFileVersionCheck(*this, customVersion, localFile, isNew);
            return isNew;
        },
        .ChooseFiles = [this](TStringList& descriptions) {
            if (!OnGetFileList)
                return false;
            OnGetFileList(*this, descriptions);
            return true;
        },
    };
}

int TAutoUpdate::EvaluateUpdateSection()
{
    UpdateEdge& edge = edge_;
    UpdateSectionResult result = ::EvaluateUpdateSection(controlText_, Calls(), edge);
    if (result.ControlDate)
        run_.controlDate = *result.ControlDate;
    return result.Kind;
}

bool TAutoUpdate::IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size)
{
    return IsNewerThanLocalFile(newVersion, localFile, checksum, size,
                                VersionCheck == TAutoUpdateVersionCheck::vcUpdateOnly, UseCRC32);
}

int TAutoUpdate::LoadFileList()
{
    UpdateEdge& edge = edge_;
    return ::LoadFileList(
        controlText_, FileList, [this](const std::string& value) { return ExpandPrefixes(value); }, edge);
}

int TAutoUpdate::FilterFileList()
{
    UpdateEdge& edge = edge_;
    return ::FilterFileList(FileList, Calls(), edge);
}
