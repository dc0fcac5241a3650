// The real main window polling a loopback page 10,000 times, one poll per 100 ms, while
// the page's item changes every 50 polls (so popups, log entries and saves happen too).
// Prints the process's memory, handles and GDI/USER objects at the start, the middle and
// the end, read inside the process. The benchmark runs itself again from a folder of its
// own, with main.exe, the decoder and the sound beside it as the main window expects.
#include <windows.h>

#include <cstdio>
#include <string>

#include "AppPath.h"
#include "Application.h"
#include "ExtCtrls.h"
#include "FileIO.h"
#include "ProcessMemory.h"
#include "ScriptedHttpServer.h"
#include "Unit1.h"

namespace {

constexpr int kPollEvery = 50;

std::string Page(int item)
{
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", item / 60 % 24, item % 60);
    return "<table>\r\n<tr>\r\n       <td class=\"date\">" + std::string(time) + "</td>\r\n<td>Polo%C5%BEka%20" +
           std::to_string(item) + "</td>\r\n</tr>\r\n</table>\r\n";
}

// Windows of this process's user-interface thread, top-level and child, as a count of
// USER objects where the platform gives none.
int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            EnumChildWindows(
                window, [](HWND, LPARAM inner) -> BOOL { return ++*reinterpret_cast<int*>(inner), TRUE; }, data);
            return TRUE;
        },
        LPARAM(&count));
    return count;
}

// Open kernel handles: the platform's count, or where it gives none (Wine), the handle
// values that answer.
DWORD KernelHandles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
        return count;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

void PrintCounters(const char* moment, int polls, int entries)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const DWORD handles = KernelHandles();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    std::printf("  %-7s %6d polls %5d entries   private %7.2f MiB   handles %5lu   GDI %5lu   USER %5lu   windows %4d\n",
                moment, polls, entries, PrivateMiB(self, GetCurrentProcess()), handles, gdi, user, ThreadWindows());
    std::fflush(stdout);
}

int Soak(int polls)
{
    TApplication application;
    // Not the program's own title: its single-instance guard is named after it.
    application.SetTitle("Soriel online soak");
    ScriptedHttpServer server;
    ScriptedReply reply;
    reply.Body = Page(0);
    server.SetReply(reply);
    WriteFileAtomically(GetAppPath() + L"main.ini", "[Sources]\r\nNewsURL=" + server.Url("/index.php/zpravodajstvy") +
                                                        "\r\nPollSeconds=86400\r\n[Settings]\r\nSound=0\r\n");
    DeleteFileW((GetAppPath() + L"news.rtf").c_str());
    auto* form = application.CreateForm<TForm1>();

    int started = 0;
    auto* poll = new TTimer(&application);
    poll->SetInterval(100);
    poll->OnTimer = [&](TTimer&) {
        if (started % kPollEvery == 0) {
            reply.Body = Page(started / kPollEvery);
            server.SetReply(reply);
        }
        form->TimerTimer();
        ++started;
        if (started == 1 || started == polls / 2 || started == polls) {
            // The box stays empty while the window is hidden: the entries are counted in news.rtf.
            const std::string log = ReadWholeFile(GetAppPath() + L"news.rtf").value_or("");
            int entries = 0;
            for (size_t at = log.find("Polo"); at != std::string::npos; at = log.find("Polo", at + 1))
                ++entries;
            PrintCounters(started == 1 ? "start" : started == polls ? "end" : "middle", started, entries);
        }
        if (started == polls)
            application.Terminate();
    };
    application.Run();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int polls = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (argc > 2)
        return Soak(polls);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"soriel_soak\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"soak_bench.exe", L"main.exe", L"orcoredll.dll", L"ticktock.wav"})
        CopyFileW((GetAppPath() + file).c_str(), (folder + file).c_str(), FALSE);
    std::printf("Soak: %d polls, one per 100 ms, the item changing every %d polls\n\n", polls, kPollEvery);
    std::fflush(stdout);
    std::wstring command = L"\"" + folder + L"soak_bench.exe\" " + std::to_wstring(polls) + L" run";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("\nprivate: private dirty memory under Wine; GDI/USER: GetGuiResources, 0 where Wine does not "
                "report them; windows: this thread's windows, children included.\n");
    return 0;
}
