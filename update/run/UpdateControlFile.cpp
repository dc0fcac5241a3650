#include "AUpdate.h"

#include <cmath>

#include "ControlDate.h"
#include "ControlSerial.h"
#include "Exception.h"
#include "FileChecks.h"
#include "FileIO.h"
#include "IniText.h"
#include "PrefixExpansion.h"
#include "Registry.h"
#include "SignatureText.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdateSignature.h"
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
    return IniReadValue(controlText_, section, key).value_or(std::string(defaultValue));
}

long long TAutoUpdate::ControlInteger(std::string_view section, std::string_view key, long long defaultValue) const
{
    auto value = IniReadValue(controlText_, section, key);
    auto number = value ? ParseInteger(*value) : std::nullopt;
    return number ? *number : defaultValue;
}

std::string TAutoUpdate::ControlFileURL() { return ExpandPrefixes(ReadLastURL().empty() ? URL : ReadLastURL()); }

int TAutoUpdate::FetchControlFile()
{
    const std::string address = ControlFileURL();
    const std::string folder = TemporaryFolder();
    if (!DownloadFile(ConnectionHandle(), address, false, folder, std::nullopt, kMaxTextBytes,
                      TransferBudget::Kind::Small)) {
        Report(usControlFileNotFound);
        return 4;
    }
    Report(usControlFileFound);
    controlFilePath_ = folder + FileNameFromURL(address);
    std::string bytes = ReadWholeFile(Widen(controlFilePath_)).value_or("");
    // Only the exact bytes the signature covers are ever read.
    if (Signed() && !ControlFileSignatureValid(address, bytes)) {
        Report(usInvalidSignature);
        return 5;
    }
    controlText_ = std::move(bytes);
    // A signed file stays signed for ever: only its serial tells a new one from one served again.
    if (Signed()) {
        const std::string serialText = ControlValue("update", "serial");
        const auto serial = ParseSerial(serialText);
        switch (JudgeSerial(serial, LastSerial())) {
        case SerialVerdict::Refused:
            Report(usSerialRefused, serialText);
            return 5;
        case SerialVerdict::NothingNew:
            Report(usNoNewVersion);
            return kNothingNew;
        case SerialVerdict::Fresh:
            serial_ = serial;
            break;
        }
    }
    int result = 0;
    if (SignatureCheck && ControlValue("update", "signature") != Signature) {
        Report(usInvalidSignature);
        result = 5;
    }
    ReadApplicationSection();
    return result;
}

bool TAutoUpdate::ControlFileSignatureValid(const std::string& address, const std::string& bytes)
{
    auto signature = DownloadText(address + ".sig", kMaxSignatureBytes);
    if (!signature || signature->Count() == 0)
        return false;
    // A platform that cannot check the signature cannot vouch for the file either.
    try {
        for (const TUpdatePublicKey& key : PublicKeys)
            if (VerifyControlFileSignature(bytes, (*signature)[0], key))
                return true;
        return false;
    } catch (const Exception&) {
        return false;
    }
}

void TAutoUpdate::ReadApplicationSection()
{
    appUpdate_ = ControlInteger("application", "appupdate", 0) == 1;
    std::string command = ExpandPrefixes(ControlValue("application", "appname"));
    if (command.empty())
        appUpdate_ = false;
    std::string program = command, parameters;
    if (size_t blank = command.find(' '); blank != std::string::npos) {
        program = command.substr(0, blank);
        parameters = command.substr(blank + 1);
    }
    if (OnSetAppParams)
        OnSetAppParams(*this, parameters);
    if (!parameters.empty())
        command = program + " " + parameters;
    if (command.find(' ') != std::string::npos)
        command = "\"" + command + "\"";
    appCommand_ = command;
    appComponents_ = ExpandPrefixes(ControlValue("application", "appcomps"));
    silentRestart_ = ControlInteger("application", "silentrestart", 0) == 1;
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

int TAutoUpdate::EvaluateUpdateSection()
{
    int code = ukNone;
    updateDescription_ = ControlValue("update", "descr");
    if (std::string date = ControlValue("update", "date"); !date.empty()) {
        Report(usDateUpdateFound);
        controlDate_ = ControlDateTime(date, ControlValue("update", "time"));
        localDate_ = LastUpdateDate();
        if (localDate_ >= controlDate_) {
            Report(usNoNewVersion);
        } else {
            Report(usNewVersionFound, ShortDateText(controlDate_));
            code = ukDate;
        }
    }
    if (code == ukNone && !ControlValue("update", "unconditional").empty())
        code = ukUnconditional;
    if (code == ukNone && !ControlValue("update", "newversion").empty())
        code = EvaluateNewVersion();
    if (OnCustomValidate) {
        bool allow = true;
        OnCustomValidate(*this, ControlValue("custom", "validatemsg"), ControlValue("custom", "validateparam"), allow);
        code = allow ? ukCustom : ukNone;
    }
    return code;
}

int TAutoUpdate::EvaluateNewVersion()
{
    std::string newVersion = ControlValue("update", "newversion");
    const int newSize = int(ControlInteger("update", "newsize", 0));
    std::string localFile = ExpandPrefixes(ControlValue("update", "localversion"));
    const int checksum = int(ControlInteger("update", "newchecksum", -1));
    int code = ukNone;
    if (!localFile.empty()) {
        code = checksum != -1 ? ukChecksum : newSize > 0 ? ukSize : ukVersion;
        Report(code == ukChecksum ? usChecksumUpdateFound : code == ukSize ? usSizeUpdateFound : usVersionUpdateFound);
    }
    if (IsNewerThanLocal(newVersion, localFile, checksum, newSize)) {
        Report(usNewVersionFound, newVersion);
    } else {
        Report(usNoNewVersion);
        code = ukNone;
    }
    newVersionText_ = newVersion;
    localVersionText_ = localFile;
    return code;
}

bool TAutoUpdate::IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size)
{
    const bool updateOnly = VersionCheck == TAutoUpdateVersionCheck::vcUpdateOnly;
    if (newVersion.empty() && size == 0 && checksum == -1)
        return true;
    if (localFile.empty() && updateOnly)
        return true;
    if (checksum != -1)
        return int32_t(UseCRC32 ? FileCRC(localFile) : FileByteSum(localFile)) != checksum;
    if (size > 0) {
        const int64_t localSize = FileSizeOf(localFile);
        if (localSize == size)
            return false;
        return localSize > 0 || !updateOnly;
    }
    const VersionHalves local = FileVersionOf(localFile);
    const VersionHalves fresh = ParseVersion(newVersion);
    if (!IsKnown(fresh) || (!IsKnown(local) && updateOnly))
        return false;
    newVersion = DottedVersion(fresh);
    localFile = DottedVersion(local);
    return IsHigherVersion(fresh, local);
}

int TAutoUpdate::LoadFileList()
{
    FileList.Items.clear();
    const int count = int(ControlInteger("files", "count", 0));
    if (count > 0) {
        Report(usFileUpdateInstruction);
        for (int number = 1; number <= count; ++number)
            FileList.Items.push_back(ReadFileEntry(number));
    }
    return count;
}

TFileDescription TAutoUpdate::ReadFileEntry(int number)
{
    const std::string section = "file" + std::to_string(number);
    TFileDescription item;
    item.URL = ExpandPrefixes(ControlValue(section, "url"));
    item.NewVersion = ControlValue(section, "newversion");
    item.NewSize = int(ControlInteger(section, "newsize", 0));
    item.NewCheckSum = int(ControlInteger(section, "newchecksum", -1));
    item.NewCustomVer = ControlValue(section, "customversion");
    item.NewDate = ControlValue(section, "date");
    item.NewTime = ControlValue(section, "time");
    item.LocalVersion = ExpandPrefixes(ControlValue(section, "localversion"));
    item.Description = ControlValue(section, "descr");
    item.TargetDir = ExpandPrefixes(ControlValue(section, "targetdir"));
    if (!item.TargetDir.empty() && item.TargetDir.back() != '\\' && item.TargetDir.back() != '/')
        item.TargetDir += '\\';
    item.Compressed = ControlInteger(section, "compressed", 0) == 1;
    item.FileSize = int(ControlInteger(section, "filesize", 0));
    item.Sha256 = ParseSha256Value(ControlValue(section, "sha256")).value_or("");
    return item;
}

int TAutoUpdate::FilterFileList()
{
    auto& items = FileList.Items;
    for (size_t i = 0; i < items.size();) {
        if (FileIsWanted(items[i]))
            ++i;
        else
            items.erase(items.begin() + ptrdiff_t(i));
    }
    if (OnGetFileList) {
        TStringList list;
        for (const TFileDescription& item : items)
            list.Add(item.Description);
        OnGetFileList(*this, list);
        for (size_t i = items.size(); i-- > 0;)
            if (i < list.Count() && list[i].empty())
                items.erase(items.begin() + ptrdiff_t(i));
    }
    return items.empty() ? -1 : 0;
}

bool TAutoUpdate::FileIsWanted(const TFileDescription& item)
{
    if (!item.LocalVersion.empty() && !item.NewDate.empty()) {
        // A missing local file counts as older than any update.
        auto localDate = FileModifiedTime(item.LocalVersion);
        return !localDate || *localDate < ControlDateTime(item.NewDate, item.NewTime);
    }
    std::string newVersion = item.NewVersion, localFile = item.LocalVersion;
    if (!IsNewerThanLocal(newVersion, localFile, item.NewCheckSum, item.NewSize))
        return false;
    if (!OnFileVersionCheck || item.NewCustomVer.empty())
        return true;
    bool isNew = true;
    OnFileVersionCheck(*this, item.NewCustomVer, item.LocalVersion, isNew);
    return isNew;
}
