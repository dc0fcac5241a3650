#pragma once
#include <windows.h>

#include <string>

// The test program's folder (build/bin): main.exe, orcoredll.dll and the helpers lie there.
inline std::wstring TestProgramFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}
