#include "AUpdate.h"

#include "Application.h"
#include "ControlDate.h"
#include "ControlValues.h"
#include "FileIO.h"
#include "PrefixExpansion.h"
#include "Registry.h"
#include "SystemDate.h"
#include "Text.h"
#include "UpdateStatus.h"

// The bottom layer, calling no other member file: the component's state, its reports, the
// connection handle, the control file's values, the prefixes and the window's messages.

namespace {

// Between blocks the window stays live, yet a look into the message queue costs (under
// Wine) about as much as reading a block: it is taken at most this often.
constexpr ULONGLONG kPumpIntervalMs = 15;

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
    {961, 11, 4}, {962, 3, 0},
    {963, 2, 0},  {964, 9, 0},
};

StatusCodes CodesOf(int id)
{
    for (const StatusCodes& codes : kStatusCodes)
        if (codes.id == id)
            return codes;
    return {id, 0, 0};
}

std::string SystemFolder(UINT (*query)(UINT, LPWSTR))
{
    wchar_t path[MAX_PATH + 1] = {};
    UINT length = query(MAX_PATH + 1, path);
    return length > MAX_PATH ? std::string() : Narrow(std::wstring_view(path, length));
}

UINT WindowsFolder(UINT size, LPWSTR path) { return GetWindowsDirectoryW(path, size); }
UINT CurrentFolder(UINT size, LPWSTR path) { return GetCurrentDirectoryW(size, path); }
UINT TempFolder(UINT size, LPWSTR path) { return GetTempPathW(size, path); }

std::string ProgramFilesFolder()
{
    auto key = TRegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    return key ? key->ReadString("ProgramFilesDir").value_or("") : std::string();
}

} // namespace

TAutoUpdate::TAutoUpdate(TComponent* owner) : TComponent(owner) {}

TAutoUpdate::~TAutoUpdate() = default;

void TAutoUpdate::Notification(TComponent* removed)
{
    if (removed == Utility)
        Utility = nullptr;
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

std::string TAutoUpdate::ControlValue(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const
{
    return ::ControlValue(controlText_, section, key, defaultValue);
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

void TAutoUpdate::PumpMessages()
{
    const ULONGLONG now = GetTickCount64();
    if (now - lastPumpMs_ < kPumpIntervalMs)
        return;
    lastPumpMs_ = now;
    if (Application)
        Application->ProcessMessages();
}
