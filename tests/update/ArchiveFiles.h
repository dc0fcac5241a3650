#pragma once
#include <windows.h>

#include <string>

// The folder of real archives that run-with-archives.sh made for this run, ending in "\".
inline std::wstring ArchiveFile(const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SORIEL_ARCHIVES", folder, MAX_PATH);
    return folder + name;
}
