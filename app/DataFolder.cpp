#include "DataFolder.h"

#include <windows.h>

#include <shlobj.h>

#include "AppPath.h"
#include "Win32Handle.h"

namespace {

const wchar_t* const kDataFiles[] = {L"main.ini", L"news.rtf"};

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file can be made in the folder, and the data files there may be replaced.
bool CanWriteDataFilesIn(const std::wstring& folder)
{
    FileHandle probe(CreateFileW((folder + L"soriel-write-probe.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!probe)
        return false;
    for (const wchar_t* name : kDataFiles) {
        DWORD attributes = GetFileAttributesW((folder + name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return false;
    }
    return true;
}

std::wstring PerUserFolder()
{
    wchar_t appData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return {};
    std::wstring folder = std::wstring(appData) + L"\\Soriel online\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

} // namespace

bool IsProgramFolderWritable()
{
    return CanWriteDataFilesIn(GetAppPath());
}

std::wstring DataFolder()
{
    const std::wstring programFolder = GetAppPath();
    if (CanWriteDataFilesIn(programFolder))
        return programFolder;
    const std::wstring userFolder = PerUserFolder();
    if (userFolder.empty())
        return programFolder;
    for (const wchar_t* name : kDataFiles)
        if (!Exists(userFolder + name) && Exists(programFolder + name))
            CopyFileW((programFolder + name).c_str(), (userFolder + name).c_str(), TRUE);
    return userFolder;
}
