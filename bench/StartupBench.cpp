// Start-up of main.exe with no news log and with a news.rtf of 100, 2,000 and 100,000 items
// found at its first start (written again, and the archive removed, before every start), and
// its memory while hidden once two items have arrived from a loopback news page (so the log
// has been read, appended and saved), next to the minimal tray program of bench/ measured in
// the same run. Each program runs from a folder of its own; the programs take turns.
// "startup_bench N [LOG...]": N rounds of starts (7 when not given; 0 measures only the
// memory), and the logs the memory is measured with (see LogSample; when not given: none,
// 2,000, 2,150 and 100,000 items as the box writes them, and 2,150 as another writer does).
#include <windows.h>

#include <richedit.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "AppPath.h"
#include "Application.h"
#include "BenchClock.h"
#include "FileIO.h"
#include "ProcessMemory.h"
#include "ScriptedHttpServer.h"
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
    // Gone before the next start, which would otherwise find it and hand over to it.
    ~Started()
    {
        TerminateProcess(process_.Get(), 0);
        WaitForSingleObject(process_.Get(), 60000);
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

// A news.rtf of so many items as the box writes it, or as another writer ("other:N") or as
// plain text ("text:N").
struct LogSample {
    std::string writer;
    int items = 0;
};

LogSample ParseLogSample(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return {"", std::atoi(text.c_str())};
    return {text.substr(0, colon), std::atoi(text.c_str() + colon + 1)};
}

// The update check goes to a closed port, and so do the polls unless other news lines are
// given: start-up is measured, not the network.
Subject MainWith(const std::wstring& root, LogSample log,
                 const std::string& news = "NewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\n")
{
    const std::wstring folder = root + L"log" + Widen(log.writer) + std::to_wstring(log.items) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"main.exe", L"orcoredll.dll", L"ticktock.wav"})
        CopyFileW((GetAppPath() + file).c_str(), (folder + file).c_str(), FALSE);
    WriteFileAtomically(folder + L"main.ini", "[Sources]\r\n" + news +
                                                  "UpdateURL=http://127.0.0.1:9/update/upd_snh/app1h.inf\r\n"
                                                  "[Settings]\r\nSound=0\r\n");
    DeleteFileW((folder + L"news.rtf").c_str());
    if (log.items > 0)
        WriteFileAtomically(folder + L"news-first.rtf", log.writer == "other" ? OtherWriterNewsRtf(log.items)
                                                        : log.writer == "text"  ? PlainTextNewsLog(log.items)
                                                                                : SampleNewsRtf(log.items));
    const std::string name = log.items ? std::to_string(log.items) + " items" : std::string("no log");
    return {"main.exe, " + name + (log.writer.empty() ? "" : ", " + log.writer), folder, L"main.exe",
            L"Soriel online ", {}, log.items};
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

// Begins in ASCII, so that news.rtf holds that beginning as it stands.
std::string ItemMark(int item) { return "Mereni pameti, polozka " + std::to_string(item); }
std::string ItemText(int item) { return ItemMark(item) + ": " + Text(item); }

// A loopback news page with one item, which the benchmark changes.
class NewsPage {
public:
    NewsPage()
    {
        server_.SetHandler([this](const RecordedRequest&) {
            const int item = item_.load();
            // Never a quarter hour: no title of the sample logs.
            ScriptedReply reply;
            reply.Body = "<table>\r\n<tr>\r\n       <td class=\"date\">12:0" + std::to_string(item) +
                         "</td>\r\n<td>" + Encoded(ItemText(item)) + "</td>\r\n</tr>\r\n</table>\r\n";
            return reply;
        });
    }
    std::string Url() const { return server_.Url("/index.php/zpravodajstvy"); }
    void Show(int item) { item_ = item; }

private:
    std::atomic<int> item_ = 1;
    ScriptedHttpServer server_;
};

bool Logged(const Subject& subject, int item)
{
    return ReadWholeFile(subject.folder + L"news.rtf").value_or("").find(ItemMark(item)) != std::string::npos;
}

struct HiddenMemory {
    double privateMiB;
    double residentMiB;
};

// The program's memory, hidden, 20 s after the second of two items arrived (the minimal
// program gets none): the log has been read, appended and saved twice by then.
HiddenMemory HiddenAfterTwoItems(const Subject& subject, NewsPage& page)
{
    PrepareFirstStart(subject);
    page.Show(1);
    Started process(subject);
    while (!WindowWithCaptionBeyond(process.Id(), subject.readyCaption))
        Sleep(5);
    if (subject.program == L"main.exe") {
        for (int item : {1, 2}) {
            page.Show(item);
            const double start = NowMs();
            while (!Logged(subject, item)) {
                if (NowMs() - start > 120000) {
                    std::fprintf(stderr, "%s did not log item %d within two minutes\n", subject.name.c_str(), item);
                    std::exit(1);
                }
                Sleep(50);
            }
        }
    }
    Sleep(20000);
    return {PrivateMiB(subject.folder + subject.program, process.Handle()),
            ResidentMiB(subject.folder + subject.program, process.Handle())};
}

void PrintHiddenMemory(const Subject& minimal, const std::wstring& root, const std::vector<LogSample>& logs)
{
    NewsPage page;
    std::vector<Subject> subjects = {minimal};
    for (const LogSample& log : logs)
        subjects.push_back(MainWith(root, log, "NewsURL=" + page.Url() + "\r\nPollSeconds=2\r\n"));
    std::printf("\nHidden, 20 s after the second of two items arrived (the log read, appended and saved);\n"
                "private: private dirty memory under Wine, else private bytes; working set: resident memory\n"
                "over empty: over the first log measured (target: a bounded log within 3 MB of the empty one)\n\n");
    std::printf("  %-36s %10s %10s %14s %10s\n", "program", "private", "over empty", "working set", "over empty");
    std::vector<HiddenMemory> memory;
    for (const Subject& subject : subjects) {
        memory.push_back(HiddenAfterTwoItems(subject, page));
        const HiddenMemory& now = memory.back();
        const bool main = memory.size() > 1;
        const HiddenMemory over = {now.privateMiB - memory[main].privateMiB, now.residentMiB - memory[main].residentMiB};
        std::printf("  %-36s %6.2f MiB %+10.2f %10.2f MiB %+10.2f  %s\n", subject.name.c_str(), now.privateMiB,
                    over.privateMiB, now.residentMiB, over.residentMiB,
                    memory.size() <= 2 ? "" : std::max(over.privateMiB, over.residentMiB) <= 3.0 ? "ok" : "OVER");
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
    std::vector<Subject> subjects = {minimal, MainWith(root, {"", 0}), MainWith(root, {"", 100}),
                                     MainWith(root, {"", 2000}), MainWith(root, {"", 100000})};

    if (rounds > 0)
        PrintStartUp(subjects, rounds);
    std::vector<LogSample> logs;
    for (int arg = 2; arg < argc; ++arg)
        logs.push_back(ParseLogSample(argv[arg]));
    if (logs.empty())
        logs = {{"", 0}, {"", 2000}, {"", 2150}, {"", 100000}, {"other", 2150}};
    PrintHiddenMemory(minimal, root, logs);
    return 0;
}
