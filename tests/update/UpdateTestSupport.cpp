#include "UpdateTestSupport.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "FileIO.h"
#include "Text.h"

RecordingUpdate::RecordingUpdate() : TAutoUpdate(nullptr)
{
    // Wine always reports a connection; the tests decide instead.
    ConnectionFunctions.IsConnected = [] { return true; };
    ConnectionFunctions.Dial = [](DWORD) { return true; };
    ConnectionFunctions.HangUp = [] { return true; };
}

void RecordingUpdate::SetUpSilentHttpRun(const std::string& controlFileUrl, const std::string& folder)
{
    UpdateType = TAutoUpdateType::httpUpdate;
    UpdateUpdate = TAutoUpdateUpdate::auuSilent;
    URL = controlFileUrl;
    TempDirectory = folder;
}

void RecordingUpdate::ReportStatus(int id, const std::string& param, int statuscode, int errcode)
{
    statuses.push_back({id, param, statuscode, errcode});
    TAutoUpdate::ReportStatus(id, param, statuscode, errcode);
}

std::vector<int> RecordingUpdate::Ids() const
{
    std::vector<int> ids;
    for (const Status& status : statuses)
        ids.push_back(status.id);
    return ids;
}

bool RecordingUpdate::Reported(int id) const
{
    auto ids = Ids();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = Narrow(temp) + "soriel-update-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    CreateDirectoryW(Widen(path_).c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    for (const std::string& name : Files())
        DeleteFileW(Widen(path_ + name).c_str());
    RemoveDirectoryW(Widen(path_).c_str());
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) const
{
    WriteFileAtomically(Widen(path_ + name), bytes);
}

std::optional<std::string> ScratchFolder::Read(const std::string& name) const
{
    return ReadWholeFile(Widen(path_ + name));
}

std::vector<std::string> ScratchFolder::Files() const
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Widen(path_ + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
