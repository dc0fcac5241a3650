#pragma once
#include <windows.h>

#include <string>

#include "Text.h"

// A command file the shell runs when asked to open it; it leaves a file behind.
struct OpenedMarker {
    OpenedMarker()
    {
        DeleteFileW(marker.c_str());
        const std::string body = "@echo opened>\"" + Narrow(marker) + "\"\r\n";
        HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, body.data(), DWORD(body.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~OpenedMarker()
    {
        DeleteFileW(script.c_str());
        DeleteFileW(marker.c_str());
    }
    OpenedMarker(const OpenedMarker&) = delete;
    OpenedMarker& operator=(const OpenedMarker&) = delete;
    bool Opened() const { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }

    static std::wstring TempFolder()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return temp;
    }
    std::wstring script = TempFolder() + L"soriel_link_target.cmd";
    std::wstring marker = TempFolder() + L"soriel_link_opened.txt";
};
