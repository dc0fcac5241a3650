#include "ProcessMemory.h"

#include <psapi.h>

#include <cstdlib>

#include "Text.h"
#include "Win32Handle.h"

namespace {

// A file of /proc, which tells no size beforehand: read until its end.
std::string ReadProcFile(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read)
        text.append(buffer, read);
    return text;
}

} // namespace

double PrivateMiB(const std::wstring& program, HANDLE process)
{
    const std::string path = Narrow(program);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        double kib = -1;
        do {
            const std::wstring proc = L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\";
            if (ReadProcFile(proc + L"cmdline").find(path) == std::string::npos)
                continue;
            const std::string rollup = ReadProcFile(proc + L"smaps_rollup");
            const size_t at = rollup.find("Private_Dirty:");
            if (at != std::string::npos)
                kib = std::atof(rollup.c_str() + at + 14);
        } while (kib < 0 && FindNextFileW(search, &found));
        FindClose(search);
        if (kib >= 0)
            return kib / 1024.0;
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return double(counters.PrivateUsage) / (1024.0 * 1024.0);
}

