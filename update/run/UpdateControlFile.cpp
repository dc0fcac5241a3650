#include "AUpdate.h"

#include "ControlFileStep.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "FileListStep.h"
#include "Text.h"
#include "UpdateSection.h"

// The control file, the [update] evaluation and the file list, on UpdateTransfers and
// UpdateState.

int TAutoUpdate::FetchControlFile()
{
    struct Host : ControlFileHost {
        explicit Host(TAutoUpdate& update) : update(update) {}
        TAutoUpdate& update;

        void ReportStatus(int id, const std::string& param) override { update.Report(id, param); }
        std::string ExpandPrefixes(const std::string& value) override { return update.ExpandPrefixes(value); }
        void SetAppParams(std::string& parameters) override
        {
            if (update.OnSetAppParams)
                update.OnSetAppParams(update, parameters);
        }
        std::optional<std::string> FetchControlFile(const std::string& address) override
        {
            const std::string folder = TemporaryFolder();
            if (!update.DownloadFile(update.ConnectionHandle(), address, false, folder, std::nullopt, kMaxTextBytes,
                                     TransferBudget::Kind::Small))
                return std::nullopt;
            update.controlFilePath_ = folder + update.FileNameFromURL(address);
            return ReadWholeFile(Widen(update.controlFilePath_)).value_or("");
        }
        std::unique_ptr<TStringList> FetchSignature(const std::string& address) override
        {
            return update.DownloadText(address, kMaxSignatureBytes);
        }
        std::optional<unsigned long long> LastSerial() override { return update.LastSerial(); }
    } host(*this);
    ControlFileResult result = RunControlFileStep(
        {.Address = ControlFileURL(),
         .Keys = PublicKeys,
         .RequiredMarker = SignatureCheck ? std::optional(Signature) : std::nullopt},
        host);
    if (result.Text)
        controlText_ = std::move(*result.Text);
    if (result.Serial)
        serial_ = result.Serial;
    if (const auto& application = result.Application) {
        appUpdate_ = application->AppUpdate;
        appCommand_ = application->Command;
        appComponents_ = application->Components;
        silentRestart_ = application->SilentRestart;
    }
    return result.Code;
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
