#include "TransferFile.h"

#include <windows.h>

TransferFile::TransferFile(const std::wstring& folder)
{
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"AUPD", 0, name))
        return;
    path_ = name;
    handle_.Reset(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TransferFile::~TransferFile()
{
    handle_.Reset();
    if (!path_.empty())
        DeleteFileW(path_.c_str());
}

bool TransferFile::Write(std::string_view bytes)
{
    DWORD written = 0;
    return WriteFile(handle_.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool TransferFile::MoveTo(const std::wstring& target)
{
    if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return false;
    path_.clear();
    return true;
}

void TransferFile::Keep()
{
    handle_.Reset();
    path_.clear();
}
