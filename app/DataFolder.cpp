#include "DataFolder.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "AppPath.h"
#include "FileIO.h"
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
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

// Copies the file a block at a time (an archive may be large); false when it could not.
bool CopyBlocks(const std::wstring& from, const std::wstring& to)
{
    FileHandle source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FileHandle target(
        CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source || !target)
        return false;
    std::string block(1 << 20, '\0');
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(source.Get(), block.data(), DWORD(block.size()), &read, nullptr))
            return false;
        if (read == 0)
            return FlushFileBuffers(target.Get());
        if (!WriteFile(target.Get(), block.data(), read, &written, nullptr) || written != read)
            return false;
    }
}

// The user's own copy of a data file found beside the program: whole or not at all, and a
// fresh file the program can replace later (a plain copy would keep a read-only mark, one of
// the reasons for moving). False when the copy could not be made.
bool TakeOver(const std::wstring& from, const std::wstring& to)
{
    const std::wstring temporary = to + L".new";
    const bool taken = CopyBlocks(from, temporary) &&
                       MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!taken)
        DeleteFileW(temporary.c_str());
    return taken;
}

// main.ini, news.rtf and the archives of old news found in the folder.
std::vector<std::wstring> DataFilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names(std::begin(kDataFiles), std::end(kDataFiles));
    for (std::wstring& archive : FileNamesMatching(folder + L"news-archive*.rtf"))
        names.push_back(std::move(archive));
    return names;
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
    // Should a file not come over, the program stays with the files it has, read-only as they
    // are, rather than start afresh without them.
    for (const std::wstring& name : DataFilesIn(programFolder))
        if (!Exists(userFolder + name) && Exists(programFolder + name) &&
            !TakeOver(programFolder + name, userFolder + name))
            return programFolder;
    return userFolder;
}
