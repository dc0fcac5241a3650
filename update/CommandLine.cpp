#include "CommandLine.h"

#include <windows.h>

#include "Text.h"
#include "Win32Handle.h"

bool StartCommandLine(const std::string& commandLine)
{
    std::wstring command = Widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    KernelHandle process(started.hProcess), thread(started.hThread);
    return true;
}
