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

// Private dirty memory in KiB of one /proc entry's process; negative when it tells none.
double PrivateDirtyKiB(const std::wstring& procEntry)
{
    const std::string rollup = ReadProcFile(procEntry + L"smaps_rollup");
    const size_t at = rollup.find("Private_Dirty:");
    return at == std::string::npos ? -1 : std::atof(rollup.c_str() + at + 14);
}

double PrivateUsageMiB(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return double(counters.PrivateUsage) / (1024.0 * 1024.0);
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
            kib = PrivateDirtyKiB(proc);
        } while (kib < 0 && FindNextFileW(search, &found));
        FindClose(search);
        if (kib >= 0)
            return kib / 1024.0;
    }
    return PrivateUsageMiB(process);
}

double OwnPrivateMiB()
{
    // The commit charge: the process's private memory, as Wine also reports it of itself.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PagefileUsage) / (1024.0 * 1024.0);
}

