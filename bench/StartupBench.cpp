// Start-up of main.exe with no news log and with a news.rtf of 100, 2,000 and 100,000 items
// found at its first start (written again, and the archive removed, before every start), and
// its memory after 10 idle seconds, next to the minimal tray program of bench/ measured in the
// same run. Each program runs from a folder of its own; the programs take turns.
// "startup_bench N": N rounds of starts (7 when not given); 0 measures only the memory.
#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "AppPath.h"
#include "Application.h"
#include "BenchClock.h"
#include "FileIO.h"
#include "ProcessMemory.h"
#include "SampleNewsLog.h"
#include "Text.h"
#include "Win32Handle.h"

namespace {

struct Subject {
    std::string name;
    std::wstring folder;
    std::wstring program;
    std::wstring readyCaption; // the caption goes on after this once the program is ready
    std::vector<double> startMs;
    int items = 0;
};

// news.rtf as at a first start: no archive yet. Written to the disk before the start, so
// that the program does not start while a long copy is still being written out.
void PrepareFirstStart(const Subject& subject)
{
    if (subject.items == 0)
        return;
    const std::wstring log = subject.folder + L"news.rtf";
    CopyFileW((subject.folder + L"news-first.rtf").c_str(), log.c_str(), FALSE);
    FileHandle written(CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (written)
        FlushFileBuffers(written.Get());
    DeleteFileW((subject.folder + L"news-archive.rtf").c_str());
}

uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The first top-level window of the process that passes the test.
template <typename Test>
HWND TopLevelWindowOf(DWORD processId, Test test)
{
    struct Search {
        DWORD processId;
        Test& test;
        HWND found;
    } search{processId, test, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId && search->test(window))
                search->found = window;
            return !search->found;
        },
        LPARAM(&search));
    return search.found;
}

// The top-level window of the process whose caption starts with the text and goes on
// after it: the main window once the program is ready.
HWND WindowWithCaptionBeyond(DWORD processId, const std::wstring& start)
{
    return TopLevelWindowOf(processId, [&](HWND window) {
        wchar_t caption[256] = {};
        return GetWindowTextW(window, caption, 256) && std::wstring(caption).starts_with(start) &&
               start.size() < wcslen(caption);
    });
}

HWND TrayWindowOf(DWORD processId)
{
    return TopLevelWindowOf(processId, [](HWND window) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        return std::wstring(name) == L"SorielTrayIcon";
    });
}

// Whether the window shows a box scrolled to its end, with more than a few lines in it.
bool ShowsTheEndOfALog(HWND main)
{
    if (!IsWindowVisible(main))
        return false;
    for (HWND box = FindWindowExW(main, nullptr, L"RICHEDIT50W", nullptr); box;
         box = FindWindowExW(main, box, L"RICHEDIT50W", nullptr)) {
        if (!IsWindowVisible(box))
            continue;
        const LRESULT lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
        const LRESULT first = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        return lines > 30 && lines - first < 40;
    }
    return false;
}

class Started {
public:
    Started(const Subject& subject)
    {
        std::wstring command = L"\"" + subject.folder + subject.program + L"\"";
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, subject.folder.c_str(),
                            &startup, &process)) {
            std::fprintf(stderr, "cannot start %s\n", subject.name.c_str());
            std::exit(1);
        }
        CloseHandle(process.hThread);
        process_.Reset(process.hProcess);
        id_ = process.dwProcessId;
    }
    ~Started()
    {
        TerminateProcess(process_.Get(), 0);
        WaitForSingleObject(process_.Get(), 10000);
    }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }

private:
    KernelHandle process_;
    DWORD id_ = 0;
};

double StartUntilReady(const Subject& subject)
{
    PrepareFirstStart(subject);
    const double start = NowMs();
    Started process(subject);
    while (!WindowWithCaptionBeyond(process.Id(), subject.readyCaption)) {
        if (NowMs() - start > 120000) {
            std::fprintf(stderr, "%s was not ready within two minutes\n", subject.name.c_str());
            std::exit(1);
        }
        Sleep(1);
    }
    return NowMs() - start;
}

// From the start until news.rtf holds only the bounded log (its surplus in the archive).
double StartUntilBounded(const Subject& subject)
{
    PrepareFirstStart(subject);
    const uint64_t first = FileSize(subject.folder + L"news-first.rtf");
    const double start = NowMs();
    Started process(subject);
    while (FileSize(subject.folder + L"news.rtf") >= first || FileSize(subject.folder + L"news-archive.rtf") == 0) {
        if (NowMs() - start > 120000) {
            std::fprintf(stderr, "%s did not bound its log within two minutes\n", subject.name.c_str());
            std::exit(1);
        }
        Sleep(1);
    }
    return NowMs() - start;
}

// From the tray icon's double click (the shell's messages for it) until the window shows
// the end of the log, right after start-up.
double FirstShowMs(const Subject& subject)
{
    PrepareFirstStart(subject);
    Started process(subject);
    HWND main = nullptr;
    while (!(main = WindowWithCaptionBeyond(process.Id(), subject.readyCaption)))
        Sleep(5);
    HWND tray = TrayWindowOf(process.Id());
    constexpr UINT kTrayCallback = 0x800;
    const double start = NowMs();
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(tray, kTrayCallback, 1, mouse);
    while (!ShowsTheEndOfALog(main) && NowMs() - start < 60000)
        Sleep(1);
    return NowMs() - start;
}

Subject MainWith(const std::wstring& root, int items)
{
    const std::wstring folder = root + L"log" + std::to_wstring(items) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"main.exe", L"orcoredll.dll", L"ticktock.wav"})
        CopyFileW((GetAppPath() + file).c_str(), (folder + file).c_str(), FALSE);
    // Polls and the update check go to a closed port: start-up is measured, not the network.
    WriteFileAtomically(folder + L"main.ini", "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\n"
                                              "UpdateURL=http://127.0.0.1:9/update/upd_snh/app1h.inf\r\n"
                                              "[Settings]\r\nSound=0\r\n");
    DeleteFileW((folder + L"news.rtf").c_str());
    if (items > 0)
        WriteFileAtomically(folder + L"news-first.rtf", SampleNewsRtf(items));
    return {"main.exe, " + (items ? std::to_string(items) + " items" : std::string("no log")), folder, L"main.exe",
            L"Soriel online ", {}, items};
}

// Start-up to ready, and to a bounded log, and the first show.
void PrintStartUp(std::vector<Subject>& subjects, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round + 1, rounds);
        for (Subject& subject : subjects)
            subject.startMs.push_back(StartUntilReady(subject));
    }
    // Each round's start next to the minimal program's start of the same round: the machine's
    // load, which drifts from round to round, weighs on both alike.
    std::printf("Start-up to ready (caption set), median of %d starts, under the same Wine server;\n"
                "the ratio is the median of each round's ratio to the minimal program\n\n",
                rounds);
    std::printf("  %-28s %10s %8s  %s\n", "program", "ms", "ratio", "(target: within 1.3x)");
    for (const Subject& subject : subjects) {
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round)
            ratios.push_back(subject.startMs[round] / subjects[0].startMs[round]);
        const double ratio = Median(ratios);
        std::printf("  %-28s %10.1f %7.2fx  %s\n", subject.name.c_str(), Median(subject.startMs), ratio,
                    &subject == &subjects[0] ? "" : ratio <= 1.3 ? "ok" : "OVER");
    }

    std::printf("\nFirst start with 100,000 items: until news.rtf holds only the newest entries, the rest in the "
                "archive\n\n");
    std::vector<double> bounded;
    for (int round = 0; round < 3; ++round)
        bounded.push_back(StartUntilBounded(subjects[4]));
    std::printf("  %-28s %10.1f ms\n", subjects[4].name.c_str(), Median(bounded));

    std::printf("\nFirst show right after start-up: double click to the end of the log in view (target: 300 ms)\n\n");
    for (const Subject& subject : {subjects[3], subjects[4]}) {
        std::vector<double> shows;
        for (int round = 0; round < 5; ++round)
            shows.push_back(FirstShowMs(subject));
        std::printf("  %-28s %10.1f ms  %s\n", subject.name.c_str(), Median(shows), Median(shows) <= 300 ? "ok" : "OVER");
    }
}

} // namespace

int main(int argc, char** argv)
{
    TApplication application;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"soriel_startup_bench\\";
    CreateDirectoryW(root.c_str(), nullptr);
    std::fprintf(stderr, "writing news logs...\n");
    Subject minimal{"minimal tray program", root + L"minimal\\", L"minimal_tray.exe", L"Minimal tray ", {}};
    CreateDirectoryW(minimal.folder.c_str(), nullptr);
    CopyFileW((GetAppPath() + minimal.program).c_str(), (minimal.folder + minimal.program).c_str(), FALSE);
    std::vector<Subject> subjects = {minimal, MainWith(root, 0), MainWith(root, 100), MainWith(root, 2000),
                                     MainWith(root, 100000)};

    if (rounds > 0)
        PrintStartUp(subjects, rounds);
    std::printf("\nPrivate memory after 10 s idle (target: within 3 MB of the minimal program)\n\n");
    std::vector<double> memory;
    for (const Subject& subject : subjects) {
        PrepareFirstStart(subject);
        Started process(subject);
        while (!WindowWithCaptionBeyond(process.Id(), subject.readyCaption))
            Sleep(5);
        Sleep(10000);
        memory.push_back(PrivateMiB(subject.folder + subject.program, process.Handle()));
        const double over = memory.back() - memory.front();
        std::printf("  %-28s %8.2f MiB  %+7.2f MiB  %s\n", subject.name.c_str(), memory.back(), over,
                    memory.size() == 1 ? "" : over <= 3.0 ? "ok" : "OVER");
    }
    return 0;
}
