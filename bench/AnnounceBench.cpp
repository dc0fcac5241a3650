// Cost of one announcement of the presentation tick against a news log of 10, 10,000 and
// 100,000 items, split into its parts, and the cost of loading that log at start-up. The
// parts are the main window's own: the real decoder library, a real rich-text box on a
// hidden form, the news.rtf save after each entry, a real popup and the sound player.
// Then the cost of an item whose text on the page is 200 KB, 2 MB and 16 MB long, from the
// page's lines on, against a short one. "announce_bench long" measures only that.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AppPath.h"
#include "Application.h"
#include "BenchClock.h"
#include "FileIO.h"
#include "Forms.h"
#include "NewsLog.h"
#include "NewsPageScan.h"
#include "NewsPopup.h"
#include "NewsPresenter.h"
#include "ProcessMemory.h"
#include "RichEdit.h"
#include "SampleNewsLog.h"
#include "SlidePopup.h"
#include "SoundPlayer.h"
#include "Text.h"
#include "TextDecoder.h"

namespace {

// The part names, in the order the tick reaches them.
const char* const kDecode = "decode";
const char* const kHoldsLine = "dup check";
const char* const kAppend = "append+caret";
const char* const kSaveRtf = "SaveToRtf";
const char* const kWrite = "write file";
const char* const kPopup = "popup";
const char* const kSound = "sound";

// The main window's announcement parts with the main window's components, each timed.
class BenchForm : public TForm, public NewsPresenterTarget {
public:
    BenchForm(TComponent* owner, std::wstring logPath) : TForm(owner), logPath_(std::move(logPath))
    {
        SetClientSize(458, 397);
        box = new TRichEdit(this);
        box->ReadOnly = true;
        box->VerticalScrollBar = true;
        box->Border = false;
        box->Color = clBlack;
        box->Font.Name = "Tahoma";
        box->Font.SetSize(8);
        box->Font.Color = clWhite;
        box->Font.Style = fsBold;
        box->Font.Charset = EASTEUROPE_CHARSET;
        box->SetBounds(16, 80, 425, 265);
        box->SetParent(this);
        preview = new TRichEdit(this);
        preview->SetVisible(false);
        preview->SetParent(this);
        newsLog = std::make_unique<TNewsLog>(*box, *preview);
        popup = new TSlidePopup(this);
        ConfigureNewsPopup(*popup);
        wave = new TSoundPlayer(this);
    }

    TRichEdit* box;
    TRichEdit* preview;
    std::unique_ptr<TNewsLog> newsLog;
    TSlidePopup* popup;
    TSoundPlayer* wave;
    std::map<std::string, double> times;

    template <typename Step>
    auto Timed(const char* part, Step step)
    {
        const double start = NowMs();
        auto result = step();
        times[part] = NowMs() - start;
        return result;
    }

    void SetIconIndex(int) override {}
    std::string DecodeText(const std::string& raw) override
    {
        return Timed(kDecode, [&] { return ConvertText(raw); });
    }
    void SetPopupTitle(const std::string& title) override { popup->Title = title; }
    void SetPopupText(const std::string& text) override { popup->Text = text; }
    bool LogHoldsTitle(const std::string& title) override
    {
        return Timed(kHoldsLine, [&] { return newsLog->HoldsTitle(title); });
    }
    void AppendLogEntry(const std::string& title, const std::string& text) override
    {
        Timed(kAppend, [&] { newsLog->AppendEntry(title, text); return 0; });
        // As the main window saves: the log's rich text handed to the file as it stands.
        const std::string* rtf = Timed(kSaveRtf, [&] { return &newsLog->SaveToRtf(); });
        Timed(kWrite, [&] { WriteFileAtomically(logPath_, *rtf); return 0; });
    }
    bool PopupsMustWait(bool) override { return false; }
    void ShowPopup() override
    {
        Timed(kPopup, [&] { return popup->ShowNotification(); });
    }
    bool SoundOn() override { return true; }
    void PlaySound() override
    {
        Timed(kSound, [&] {
            wave->SoundFile = Narrow(GetAppPath() + L"ticktock.wav");
            wave->Play();
            return 0;
        });
    }

private:
    std::wstring logPath_;
};

void PumpFor(double ms)
{
    const double end = NowMs() + ms;
    while (NowMs() < end) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

struct CaseResult {
    int items = 0;
    double rtfMiB = 0;
    double loadMs = 0;
    double fillMs = 0;
    double lineCountMs = 0;
    std::map<std::string, double> parts;
    double totalMs = 0;
};

CaseResult RunCase(int items, int announcements, const std::wstring& folder)
{
    CaseResult result;
    result.items = items;
    const std::wstring path = folder + L"news.rtf";
    WriteFileAtomically(path, SampleNewsRtf(items));

    BenchForm form(Application, path);
    form.LoadedTree();
    const double loadStart = NowMs();
    auto bytes = ReadWholeFile(path);
    form.newsLog->Load(*bytes);
    form.newsLog->Read();
    result.loadMs = NowMs() - loadStart;
    // The announcements are measured with the box filled, as in a program running a while.
    const double fillStart = NowMs();
    while (form.newsLog->FillStep()) {
    }
    result.fillMs = NowMs() - fillStart;
    result.rtfMiB = double(bytes->size()) / (1024.0 * 1024.0);
    if (form.newsLog->SaveToRtf() != *bytes)
        std::fprintf(stderr, "warning: the box writes the generated log differently\n");
    if (!form.newsLog->HoldsTitle(Title(items - 1)) || form.newsLog->HoldsTitle(Title(items))) {
        std::fprintf(stderr, "the loaded log does not hold its items\n");
        std::exit(2);
    }

    std::map<std::string, std::vector<double>> parts;
    std::vector<double> totals, lineCounts;
    TLatestItemState state;
    PendingPopup pending;
    for (int a = 0; a < announcements; ++a) {
        const int item = items + a;
        state.PublishItem(Title(item), Encoded(Text(item)));
        form.times.clear();
        const double start = NowMs();
        PresentLatestItem(state, form, pending);
        totals.push_back(NowMs() - start);
        if (form.times.size() != 7) {
            std::fprintf(stderr, "an announcement skipped a part\n");
            std::exit(2);
        }
        for (const auto& [part, ms] : form.times)
            parts[part].push_back(ms);
        auto saved = ReadWholeFile(path);
        if (!saved || saved->find(Title(item)) == std::string::npos) {
            std::fprintf(stderr, "news.rtf does not hold the entry right after its announcement\n");
            std::exit(2);
        }
        // What the caret rule's line count costs by itself, outside the announcement.
        const double countStart = NowMs();
        form.box->LineCount();
        lineCounts.push_back(NowMs() - countStart);
        // The popup slides and the box settles between ticks, as in the running program.
        PumpFor(300);
    }
    for (const auto& [part, values] : parts)
        result.parts[part] = Median(values);
    result.totalMs = Median(totals);
    result.lineCountMs = Median(lineCounts);
    return result;
}

struct LongItemResult {
    size_t textBytes = 0;
    double ms = 0;
    double scanMs = 0;
    double growthMiB = 0;
    std::map<std::string, double> parts;
};

// One announcement from the page's lines on (scan, state, tick with every part), the page's
// item text being that many bytes of encoded words on one line, as the reply holds it.
// Private memory is taken with the page already in memory, before and after.
LongItemResult AnnounceLongItem(BenchForm& form, TLatestItemState& state, size_t textBytes, int round)
{
    const std::string word = "slovo%20";
    std::string text;
    text.reserve(textBytes + word.size());
    while (text.size() < textBytes)
        text += word;
    char timeOfDay[8];
    std::snprintf(timeOfDay, sizeof timeOfDay, "%02d:%02d", round / 60 % 24, round % 60);
    const std::string page = std::string("<tr>\r\n       <td class=\"date\">") + timeOfDay + "</td>\r\n<td>" + text +
                             "</td>\r\n</tr>\r\n";
    PumpFor(300);
    const double before = OwnPrivateMiB();
    if (before <= 0) {
        std::fprintf(stderr, "the benchmark's own private memory cannot be read\n");
        std::exit(2);
    }
    const double start = NowMs();
    const auto item = ScanNewsPage(page, "7.12.2026");
    state.PublishItem(item->Title, item->Text.value_or(""));
    const double scanned = NowMs();
    form.times.clear();
    PendingPopup pending;
    PresentLatestItem(state, form, pending);
    LongItemResult result{text.size(), NowMs() - start, scanned - start, 0, form.times};
    PumpFor(300);
    result.growthMiB = OwnPrivateMiB() - before;
    return result;
}

void MeasureLongItems(const std::wstring& folder)
{
    const std::wstring path = folder + L"news.rtf";
    WriteFileAtomically(path, SampleNewsRtf(10));
    BenchForm form(Application, path);
    form.LoadedTree();
    form.newsLog->Load(*ReadWholeFile(path));
    while (form.newsLog->FillStep()) {
    }
    TLatestItemState state;
    // Rounds of a short item and the three long ones; the first round warms every part up.
    const size_t sizes[] = {100, 200 * 1024, 2 * 1024 * 1024, 16 * 1024 * 1024};
    const int rounds = 4;
    std::map<size_t, std::vector<double>> times, scans, growths;
    std::map<size_t, std::map<std::string, std::vector<double>>> parts;
    int round = 0;
    for (int r = 0; r < rounds; ++r) {
        for (size_t size : sizes) {
            const LongItemResult result = AnnounceLongItem(form, state, size, ++round);
            if (r == 0)
                continue;
            times[size].push_back(result.ms);
            scans[size].push_back(result.scanMs);
            growths[size].push_back(result.growthMiB);
            for (const auto& [part, ms] : result.parts)
                parts[size][part].push_back(ms);
        }
    }
    const double shortMs = Median(times[sizes[0]]);
    std::printf("\nAn item with a long text, from the page's lines to popup, log and news.rtf, median of %d\n"
                "(target: at most 50 ms more than a short item, private memory growing by less than 5 MB)\n\n",
                rounds - 1);
    const char* const order[] = {kDecode, kHoldsLine, kAppend, kSaveRtf, kWrite, kPopup, kSound};
    std::printf("%10s %8s %8s", "page text", "scan", "total");
    for (const char* part : order)
        std::printf(" %12s", part);
    std::printf(" %10s %10s  %s\n", "over short", "MiB grew", "verdict");
    for (size_t size : sizes) {
        const double ms = Median(times[size]);
        const double grew = *std::max_element(growths[size].begin(), growths[size].end());
        const bool ok = ms - shortMs <= 50 && grew < 5;
        std::printf("%10zu %8.1f %8.1f", size, Median(scans[size]), ms);
        for (const char* part : order)
            std::printf(" %12.2f", Median(parts[size][part]));
        std::printf(" %10.1f %10.2f  %s\n", ms - shortMs, grew, ok ? "ok" : "MISSED");
    }
    std::printf("\nscan: the page's lines to the latest-item state; total: scan and the whole tick. MiB grew: the\n"
                "largest growth of the process's commit charge over one announcement, the page already in memory.\n");
}

} // namespace

int main(int argc, char** argv)
{
    TApplication application;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"soriel_announce_bench\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!DecoderAvailable())
        std::fprintf(stderr, "warning: orcoredll.dll not found beside the benchmark\n");

    if (argc > 1 && std::string(argv[1]) == "long") {
        MeasureLongItems(folder);
        return 0;
    }

    const int announcements = 7;
    std::vector<CaseResult> results;
    for (int items : {10, 10000, 100000}) {
        std::fprintf(stderr, "measuring %d items...\n", items);
        results.push_back(RunCase(items, announcements, folder));
    }

    const char* const order[] = {kDecode, kHoldsLine, kAppend, kSaveRtf, kWrite, kPopup, kSound};
    std::printf("Announcement under Wine, median of %d announcements, ms (target: total < 100 ms)\n\n",
                announcements);
    std::printf("%8s %9s %10s %10s", "items", "rtf MiB", "load", "fill box");
    for (const char* part : order)
        std::printf(" %12s", part);
    std::printf(" %10s %10s  %s\n", "total", "LineCount", "verdict");
    for (const CaseResult& r : results) {
        std::printf("%8d %9.2f %10.1f %10.1f", r.items, r.rtfMiB, r.loadMs, r.fillMs);
        for (const char* part : order)
            std::printf(" %12.2f", r.parts.at(part));
        std::printf(" %10.1f %10.2f  %s\n", r.totalMs, r.lineCountMs, r.totalMs < 100 ? "ok" : "TOO SLOW");
    }
    std::printf("\nload: ReadWholeFile + TNewsLog::Load and Read (index included), once; fill box: every piece into\n"
                "the box at once (the program spreads them over its idle time).\n"
                "save = SaveToRtf + write file. LineCount: one EM_GETLINECOUNT after the entry, "
                "for reference.\n");
    MeasureLongItems(folder);
    DeleteFileW((folder + L"news.rtf").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
