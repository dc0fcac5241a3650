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

double PrivateUsageMiB(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return double(counters.PrivateUsage) / (1024.0 * 1024.0);
}

// The first value of a /proc file of the Linux process running that program file that
// follows `key`, in KiB; negative when none tells it.
double ProcValueKiB(const std::wstring& program, const std::wstring& file, const std::string& key)
{
    const std::string path = Narrow(program);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    double kib = -1;
    do {
        const std::wstring proc = L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\";
        if (ReadProcFile(proc + L"cmdline").find(path) == std::string::npos)
            continue;
        const std::string text = ReadProcFile(proc + file);
        const size_t at = text.find(key);
        if (at != std::string::npos)
            kib = std::atof(text.c_str() + at + key.size());
    } while (kib < 0 && FindNextFileW(search, &found));
    FindClose(search);
    return kib;
}

} // namespace

double PrivateMiB(const std::wstring& program, HANDLE process)
{
    const double kib = ProcValueKiB(program, L"smaps_rollup", "Private_Dirty:");
    return kib >= 0 ? kib / 1024.0 : PrivateUsageMiB(process);
}

double ResidentMiB(const std::wstring& program, HANDLE process)
{
    const double kib = ProcValueKiB(program, L"status", "VmRSS:");
    if (kib >= 0)
        return kib / 1024.0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

double PeakResidentMiB(const std::wstring& program, HANDLE process)
{
    const double kib = ProcValueKiB(program, L"status", "VmHWM:");
    if (kib >= 0)
        return kib / 1024.0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double OwnPrivateMiB()
{
    // The commit charge: the process's private memory, as Wine also reports it of itself.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PagefileUsage) / (1024.0 * 1024.0);
}

