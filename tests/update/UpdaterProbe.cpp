#include <windows.h>

#include <shellapi.h>

#include <string>

#include "AppPath.h"
#include "Text.h"
#include "Win32Handle.h"

// A stand-in program for the updater's tests. Started with "sleep" it stays until it is
// ended; otherwise it notes that it ran, as a line of its identity and arguments in
// "marks.txt" beside itself, and ends with its identity's exit code.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count > 1 && std::wstring(arguments[1]) == L"sleep") {
        Sleep(60000);
        return 0;
    }
    std::string line = PROBE_IDENTITY;
    for (int index = 1; index < count; ++index) {
        line += ' ';
        line += Narrow(arguments[index]);
    }
    line += "\r\n";
    LocalFree(arguments);
    FileHandle marks(CreateFileW((GetAppPath() + L"marks.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(marks.Get(), line.data(), DWORD(line.size()), &written, nullptr);
    return PROBE_EXIT_CODE;
}
