#include "AUpdate.h"

#include <cmath>

#include "ControlDate.h"
#include "ControlFileStep.h"
#include "ControlSerial.h"
#include "ControlValues.h"
#include "FileListStep.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "PrefixExpansion.h"
#include "Registry.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateSection.h"
#include "VersionRules.h"

namespace {

std::string SystemFolder(UINT (*query)(UINT, LPWSTR))
{
    wchar_t path[MAX_PATH + 1] = {};
    UINT length = query(MAX_PATH + 1, path);
    return length > MAX_PATH ? std::string() : Narrow(std::wstring_view(path, length));
}

UINT WindowsFolder(UINT size, LPWSTR path) { return GetWindowsDirectoryW(path, size); }
UINT CurrentFolder(UINT size, LPWSTR path) { return GetCurrentDirectoryW(size, path); }
UINT TempFolder(UINT size, LPWSTR path) { return GetTempPathW(size, path); }

const double kControlDateStartValue = EncodeDateTime(kControlDateStart);

std::string ProgramFilesFolder()
{
    auto key = TRegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    return key ? key->ReadString("ProgramFilesDir").value_or("") : std::string();
}

} // namespace

std::string TAutoUpdate::ControlValue(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const
{
    return ::ControlValue(controlText_, section, key, defaultValue);
}

long long TAutoUpdate::ControlInteger(std::string_view section, std::string_view key, long long defaultValue) const
{
    return ::ControlInteger(controlText_, section, key, defaultValue);
}

std::string TAutoUpdate::ControlFileURL() { return ExpandPrefixes(ReadLastURL().empty() ? URL : ReadLastURL()); }

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
        {.Address = ControlFileURL(), .Keys = PublicKeys, .SignatureCheck = SignatureCheck, .Signature = Signature},
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

std::string TAutoUpdate::ExpandPrefixes(const std::string& value)
{
    std::string text = value;
    if (OnConvertPrefix)
        OnConvertPrefix(*this, text);
    return ExpandPrefixNames(text, [this](const std::string& name) { return PrefixValue(name); });
}

std::string TAutoUpdate::PrefixValue(const std::string& name)
{
    std::string folder;
    if (name == "WIN")
        folder = SystemFolder(WindowsFolder);
    else if (name == "APP")
        folder = SystemFolder(CurrentFolder);
    else if (name == "TMP")
        folder = SystemFolder(TempFolder);
    else if (name == "PF")
        folder = ProgramFilesFolder();
    return NormalisedFolder(folder);
}

double TAutoUpdate::ControlDateTime(const std::string& date, const std::string& time) const
{
    return ::ControlDateTime(date, time, DateFormat, DateSeparator, TimeSeparator);
}

std::string TAutoUpdate::RegistryPath() const { return LastURLEntry.Key + "\\" + LastURLEntry.Section; }

std::string TAutoUpdate::ReadLastURL() const
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return {};
    return TRegistryKey::OpenOrCreateUserKey(RegistryPath()).ReadString("LastURL").value_or("");
}

void TAutoUpdate::StoreLastURL(const std::string& address) const
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return;
    TRegistryKey::OpenOrCreateUserKey(RegistryPath()).WriteString("LastURL", address);
}

std::optional<unsigned long long> TAutoUpdate::LastSerial() const
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return std::nullopt;
    const auto text = TRegistryKey::OpenOrCreateUserKey(RegistryPath()).ReadString("LastSerial");
    return text ? ParseSerial(*text) : std::nullopt;
}

void TAutoUpdate::StoreSerial() const
{
    if (!serial_ || fileFailed_ || LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return;
    TRegistryKey::OpenOrCreateUserKey(RegistryPath()).WriteString("LastSerial", std::to_string(*serial_));
}

double TAutoUpdate::LastUpdateDate()
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty())
        return kControlDateStartValue;
    dateFromRegistry_ = true;
    TRegistryKey key = TRegistryKey::OpenOrCreateUserKey(RegistryPath());
    double result = kControlDateStartValue;
    auto date = key.ReadString("LastDate");
    auto day = date ? ParseShortDate(*date) : std::nullopt;
    if (!day)
        return result;
    result = *day;
    auto time = key.ReadString("LastTime");
    if (auto timeOfDay = time ? ParseTime(*time) : std::nullopt)
        result += *timeOfDay;
    return result;
}

void TAutoUpdate::StoreLastUpdateDate(double dateTime) const
{
    if (LastURLEntry.Key.empty() || LastURLEntry.Section.empty() || !LastURLEntry.Save)
        return;
    TRegistryKey key = TRegistryKey::OpenOrCreateUserKey(RegistryPath());
    key.WriteString("LastDate", ShortDateText(dateTime));
    if (dateTime != std::floor(dateTime))
        key.WriteString("LastTime", TimeText(dateTime));
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
