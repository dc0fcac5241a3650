#include "AUpdate.h"

#include "ApplicationSection.h"
#include "ControlSerial.h"
#include "DetachedSignature.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "FileListStep.h"
#include "Text.h"
#include "UpdateSection.h"
#include "UpdateStatus.h"

// The control file, the [update] evaluation and the file list, on UpdateTransfers and
// UpdateState.

namespace {

// FetchControlFile's answer for a control file already carried out.
constexpr int kControlFileNothingNew = 7;

} // namespace

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
    controlFilePath_ = folder + FileNameFromURL(address);
    std::string bytes = ReadWholeFile(Widen(controlFilePath_)).value_or("");
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
    // A signed file stays signed for ever: only its serial tells a new one from one served again.
    if (AuthenticationRequired()) {
        const std::string serialText = ControlValue("update", "serial");
        const std::optional<unsigned long long> serial = ParseSerial(serialText);
        switch (JudgeSerial(serial, LastSerial())) {
        case SerialVerdict::Refused:
            Report(usSerialRefused, serialText);
            return 5;
        case SerialVerdict::NothingNew:
            Report(usNoNewVersion);
            return kControlFileNothingNew;
        case SerialVerdict::Fresh:
            serial_ = serial;
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
    appUpdate_ = application.AppUpdate;
    appCommand_ = application.Command;
    appComponents_ = application.Components;
    silentRestart_ = application.SilentRestart;
    return code;
}

// The host of the [update] evaluation and the file list: the component's prefixes, dates,
// version check and handlers.
class TAutoUpdate::ControlWire : public UpdateSectionHost, public FileListHost {
public:
    explicit ControlWire(TAutoUpdate& update) : update_(update) {}

    void ReportStatus(int id, const std::string& param) override { update_.Report(id, param); }
    std::string ExpandPrefixes(const std::string& value) override { return update_.ExpandPrefixes(value); }
    TDateTime ControlDateTime(const std::string& date, const std::string& time) override
    {
        return update_.ControlDateTime(date, time);
    }
    TDateTime LastUpdateDate() override { return update_.LastUpdateDate(); }
    std::optional<bool> CustomValidate(const std::string& message, const std::string& parameter) override
    {
        if (!update_.OnCustomValidate)
            return std::nullopt;
        bool allow = true;
        update_.OnCustomValidate(update_, message, parameter, allow);
        return allow;
    }
    std::optional<TDateTime> LocalFileTime(const std::string& path) override { return FileModifiedTime(path); }
    bool IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size) override
    {
        return update_.IsNewerThanLocal(newVersion, localFile, checksum, size);
    }
    std::optional<bool> CustomVersionIsNew(const std::string& customVersion, const std::string& localFile) override
    {
        if (!update_.OnFileVersionCheck)
            return std::nullopt;
        bool isNew = true;
        update_.OnFileVersionCheck(update_, customVersion, localFile, isNew);
        return isNew;
    }
    bool ChooseFiles(TStringList& descriptions) override
    {
        if (!update_.OnGetFileList)
            return false;
        update_.OnGetFileList(update_, descriptions);
        return true;
    }

private:
    TAutoUpdate& update_;
};

int TAutoUpdate::EvaluateUpdateSection()
{
    ControlWire host(*this);
    UpdateSectionResult result = ::EvaluateUpdateSection(controlText_, host);
    if (result.ControlDate)
        controlDate_ = *result.ControlDate;
    return result.Kind;
}

bool TAutoUpdate::IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size)
{
    return IsNewerThanLocalFile(newVersion, localFile, checksum, size,
                                VersionCheck == TAutoUpdateVersionCheck::vcUpdateOnly, UseCRC32);
}

int TAutoUpdate::LoadFileList()
{
    ControlWire host(*this);
    return ::LoadFileList(controlText_, FileList, host);
}

int TAutoUpdate::FilterFileList()
{
    ControlWire host(*this);
    return ::FilterFileList(FileList, host);
}
