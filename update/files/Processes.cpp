#include "Processes.h"

KernelHandle StartCommand(const std::wstring& commandLine, bool inheritHandles, DWORD creationFlags)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::wstring writable = commandLine;
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, inheritHandles,
                        creationFlags | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
        return {};
    CloseHandle(process.hThread);
    return KernelHandle(process.hProcess);
}

bool RunCommandAndWait(const std::wstring& commandLine)
{
    const KernelHandle process = StartCommand(commandLine);
    if (!process)
        return false;
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(process.Get(), &exitCode))
        return false;
    if (exitCode != 0)
        SetLastError(8192 + exitCode);
    return exitCode == 0;
}
