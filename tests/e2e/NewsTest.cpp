#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

#include <oleacc.h>

#include "MenuCommands.h"
#include "NewsPages.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

const std::string kCzechEncoded = "%C5%BDlu%C5%A5ou%C4%8Dk%C3%BD%20k%C5%AF%C5%88";
const std::string kCzech = "Žluťoučký kůň";

// The box's text with every line break as one "\n".
std::string Lines(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        result += text[i] == '\r' ? '\n' : text[i];
    }
    return result;
}

// Sounds played from this program folder's ticktock.wav, as Wine's trace reports them.
size_t SoundsPlayedIn(const ProgramFolder& folder)
{
    std::string path;
    for (char c : Narrow(folder.File(L"ticktock.wav")))
        path += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return Count(WineTrace().value_or(""), "proc_PlaySound SoundName=L\"" + path + "\"");
}

// A press and release of a button at a point of the popup's body, where its controls take the
// mouse; the centre when no point is given, which is on the text, centred in the popup.
void ClickPopup(HWND popup, UINT down, UINT up, std::optional<POINT> at = {})
{
    HWND body = GetWindow(popup, GW_CHILD);
    RECT client{};
    GetClientRect(body, &client);
    const POINT point = at.value_or(POINT{client.right / 2, client.bottom / 2});
    PostMessageW(body, down, 0, MAKELPARAM(point.x, point.y));
    PostMessageW(body, up, 0, MAKELPARAM(point.x, point.y));
}

// The popup's title, in its top-left corner.
const POINT kOnTheTitle{12, 12};

// A borderless window over the whole screen, in front: a film or a game as the program sees it.
class FullScreenWindow {
public:
    FullScreenWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"film", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr))
    {
        SetForegroundWindow(window_);
    }
    ~FullScreenWindow() { Close(); }
    HWND Handle() const { return window_; }
    void Close()
    {
        if (window_)
            DestroyWindow(std::exchange(window_, nullptr));
    }

private:
    HWND window_;
};

} // namespace

TEST(News, FirstItemIsAnnouncedWithPopupLogEntryAndSound)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:05", kCzechEncoded));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server));
    RunningProgram program(folder, {.wineTrace = L"+winmm"});
    const std::string title = Today() + " 00:05";

    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find(kCzech) != std::string::npos; }, 15000));
    EXPECT_EQ(Lines(program.LogText()), title + "\n" + kCzech + "\n\n");

    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 10000));
    EXPECT_EQ(Narrow(program.WindowText(popups[0])), "Soriel 3 - " + title);
    ASSERT_TRUE(WineTrace()) << "run through ctest: the sound is seen in Wine's trace";
    ASSERT_TRUE(WaitUntil([&] { return SoundsPlayedIn(folder) == 1; }, 10000));

    // Later polls find the same item: nothing more is announced.
    const size_t seen = server.RequestCount();
    // Two more polls, and a poll period (so at least one tick) after the second of them.
    ASSERT_TRUE(server.WaitForRequests(seen + 3, 15000));
    EXPECT_EQ(Count(program.LogText(), kCzech), 1u);
    EXPECT_EQ(program.Popups().size(), 1u);
    EXPECT_EQ(SoundsPlayedIn(folder), 1u);
    ASSERT_TRUE(program.Exit());
}

TEST(News, ChangedItemIsPickedUpWithinOnePoll)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:05", "first"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    RunningProgram program(folder);
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("first") != std::string::npos; }, 15000));

    server.SetReply(Page("00:06", "second%20item"));
    // One poll period (2 s) and one presentation tick (2 s), with room to spare.
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("second item") != std::string::npos; }, 8000));
    EXPECT_EQ(Lines(program.LogText()), Today() + " 00:05\nfirst\n\n" + Today() + " 00:06\nsecond item\n\n");
    ASSERT_TRUE(program.Exit());
}

namespace {

// The popups on screen as assistive technology reads them: title, then text, sorted.
std::vector<std::string> PopupsRead(const RunningProgram& program)
{
    std::vector<std::string> read;
    for (HWND popup : program.Popups()) {
        const std::vector<AccessibleElement> alert = ReadAccessible(popup);
        read.push_back(alert.empty() ? "" : alert[0].name + " | " + alert[0].description);
    }
    std::sort(read.begin(), read.end());
    return read;
}

} // namespace

// Several items between two polls, a second item in the same minute, items published while
// the program is closed, and a restart that reads the same page: every item is logged once,
// oldest first, with one popup and one sound a poll.
TEST(News, EveryItemIsLoggedOnceOldestFirstWithOnePopupAPoll)
{
    ScriptedHttpServer server;
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "1"));
    const std::string today = Today();
    // Watched in the log's box: a reader holding news.rtf open would make the program's save fail.
    const auto logged = [](const RunningProgram& program, const std::string& text) {
        return Lines(program.LogText()).find("\n" + text + "\n") != std::string::npos;
    };
    const auto entries = [&](std::initializer_list<ItemRow> items) {
        std::string text;
        for (const ItemRow& item : items)
            text += today + " " + item.timeOfDay + "\n" + item.encodedText + "\n\n";
        return text;
    };
    const auto popup = [&](const std::string& timeOfDay, const std::string& text) {
        return "Soriel 3 - " + today + " " + timeOfDay + " | " + text;
    };
    std::vector<ItemRow> page = {{"00:01", "alpha"}};
    server.SetReply(Page(page));
    {
        RunningProgram program(folder, {.wineTrace = L"+winmm"});
        ASSERT_TRUE(WaitUntil([&] { return logged(program, "alpha"); }, 15000));
        page.insert(page.begin(), {{"00:04", "delta"}, {"00:04", "gamma"}, {"00:02", "beta"}});
        server.SetReply(Page(page));
        ASSERT_TRUE(WaitUntil([&] { return logged(program, "delta"); }, 10000));
        page.insert(page.begin(), {"00:04", "epsilon"});
        server.SetReply(Page(page));
        ASSERT_TRUE(WaitUntil([&] { return logged(program, "epsilon"); }, 10000));
        EXPECT_EQ(Lines(program.LogText()), entries({{"00:01", "alpha"}, {"00:02", "beta"}, {"00:04", "gamma"},
                                                     {"00:04", "delta"}, {"00:04", "epsilon"}}));
        std::vector<std::string> popups;
        ASSERT_TRUE(WaitUntil([&] { return (popups = PopupsRead(program)).size() >= 3; }, 5000));
        EXPECT_EQ(popups, (std::vector<std::string>{popup("00:01", "alpha"), popup("00:04", "delta\na 2 další zprávy"),
                                                    popup("00:04", "epsilon")}));
        ASSERT_TRUE(WineTrace()) << "run through ctest: the sound is seen in Wine's trace";
        EXPECT_EQ(SoundsPlayedIn(folder), 3u);
        ASSERT_TRUE(program.Exit());
    }
    page.insert(page.begin(), {{"00:07", "eta"}, {"00:05", "zeta"}});
    server.SetReply(Page(page));
    for (const char* start : {"published while closed", "the same page after a restart"}) {
        SCOPED_TRACE(start);
        RunningProgram program(folder);
        std::vector<std::string> popups;
        ASSERT_TRUE(WaitUntil([&] { return !(popups = PopupsRead(program)).empty(); }, 15000));
        const bool first = start == std::string("published while closed");
        EXPECT_EQ(popups, (std::vector<std::string>{popup("00:07", first ? "eta\na 1 další zpráva" : "eta")}));
        // One more poll and tick, for a second popup if one followed.
        ASSERT_TRUE(server.WaitForRequests(server.RequestCount() + 2, 10000));
        EXPECT_EQ(program.Popups().size(), 1u);
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_EQ(Lines(RichTextOf(folder.Read(L"news.rtf").value_or("")).value_or("")),
              entries({{"00:01", "alpha"}, {"00:02", "beta"}, {"00:04", "gamma"}, {"00:04", "delta"}, {"00:04", "epsilon"},
                       {"00:05", "zeta"}, {"00:07", "eta"}}));
}

// Run by run-before-midnight.sh, on a clock a minute or so before midnight that main.exe
// shares: the day's last item, still on top of the page after midnight, is yesterday's.
TEST(Midnight, TheDaysLastItemStillOnTopAfterMidnightIsNotLoggedAgain)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ASSERT_TRUE(now.wHour == 23 && now.wMinute >= 58) << "run through ctest: the clock is put before midnight";
    ScriptedHttpServer server;
    server.SetReply(Page("23:50", "last%20of%20the%20day"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0", 1));
    const std::string day = Today();
    // Watched in the log's box: a reader holding news.rtf open would make the program's save fail.
    RunningProgram program(folder);
    const auto shown = [&] { return Lines(program.LogText()); };
    ASSERT_TRUE(WaitUntil([&] { return shown() == day + " 23:50\nlast of the day\n\n"; }, 10000));

    ASSERT_TRUE(WaitUntil([&] { return Today() != day; }, 90000));
    const std::string next = Today();
    // Three polls a second apart: a tick comes after the first of them.
    ASSERT_TRUE(server.WaitForRequests(server.RequestCount() + 3, 10000));
    EXPECT_EQ(shown(), day + " 23:50\nlast of the day\n\n");
    server.SetReply(Page({{"00:01", "first%20of%20the%20day"}, {"23:50", "last%20of%20the%20day"}}));
    ASSERT_TRUE(WaitUntil([&] { return shown().find("first of the day") != std::string::npos; }, 10000));
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(Lines(RichTextOf(folder.Read(L"news.rtf").value_or("")).value_or("")),
              day + " 23:50\nlast of the day\n\n" + next + " 00:01\nfirst of the day\n\n");
}

TEST(News, ItemAlreadyInTheLogGetsPopupButNoSecondEntryAndSoundOffPlaysNothing)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:09", "again"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    folder.Write(L"news.rtf", "{\\rtf1\\ansi " + Today() + " 00:09\\par again\\par\\par}");
    RunningProgram program(folder, {.wineTrace = L"+winmm"});
    ASSERT_NE(program.MainWindow(), nullptr);

    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 15000));
    EXPECT_EQ(Narrow(program.WindowText(popups[0])), "Soriel 3 - " + Today() + " 00:09");
    EXPECT_EQ(Count(program.LogText(), "again"), 1u);
    ASSERT_TRUE(WineTrace()) << "run through ctest: the sound is seen in Wine's trace";
    // A sound would follow the popup in the same tick; a whole poll period is time enough.
    ASSERT_TRUE(server.WaitForRequests(server.RequestCount() + 1, 10000));
    EXPECT_EQ(SoundsPlayedIn(folder), 0u);
    ASSERT_TRUE(program.Exit());
}

TEST(News, AnnouncedItemSurvivesAKilledProgram)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:08", kCzechEncoded));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    RunningProgram program(folder);
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find(kCzech) != std::string::npos; }, 15000));
    program.Kill();

    RunningProgram again(folder);
    ASSERT_NE(again.MainWindow(), nullptr);
    EXPECT_NE(again.LogText().find(Today() + " 00:08"), std::string::npos);
    EXPECT_EQ(Count(again.LogText(), kCzech), 1u);
    ASSERT_TRUE(again.Exit());
}

TEST(News, MenuCommandAnnouncesTheCurrentItemAgainWithoutSecondEntry)
{
    ScriptedHttpServer server;
    server.SetReply(Page("20:00", "news"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    RunningProgram program(folder);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 15000));
    ClickPopup(popups[0], WM_RBUTTONDOWN, WM_RBUTTONUP, kOnTheTitle);
    ASSERT_TRUE(WaitUntil([&] { return program.Popups().empty(); }, 10000));

    program.SendCommand(cmdCurrentNews);
    ASSERT_TRUE(WaitUntil([&] { return !program.Popups().empty(); }, 8000));
    EXPECT_EQ(Count(program.LogText(), "news"), 1u);
    ASSERT_TRUE(program.Exit());
}

TEST(News, WindowAnswersAtOnceWhileATricklingPollOutlastsSeveralPollPeriods)
{
    ScriptedHttpServer server;
    ScriptedReply trickle = Page("07:00", "slow");
    trickle.TrickleBytes = 1;
    trickle.TrickleDelayMs = 300;
    server.SetReply(trickle);
    ProgramFolder folder;
    folder.Write(L"main.ini", "[Sources]\r\nNewsURL=" + server.Url("/index.php/zpravodajstvy") +
                                  "\r\nPollSeconds=1\r\n[Settings]\r\nSound=0\r\n");
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(server.WaitForRequests(1, 10000));

    // Four poll periods, the window asked all along; any answer slower than 200 ms ends the wait.
    unsigned asked = 0;
    const bool slowAnswer = WaitUntil(
        [&] {
            ++asked;
            DWORD_PTR result = 0;
            return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) == 0;
        },
        4000);
    EXPECT_FALSE(slowAnswer) << "after " << asked << " answers";
    EXPECT_GT(asked, 20u);
    ASSERT_TRUE(program.Exit());
}

TEST(News, ServerAskingForThirtySecondsGetsNoRequestBeforeThenNotEvenFromTheMenu)
{
    ScriptedHttpServer server;
    server.SetHandler([&](const RecordedRequest&) {
        if (server.RequestCount() > 0)
            return Page("14:35", "after%20the%20wait");
        ScriptedReply busy;
        busy.Status = 503;
        busy.Reason = "Service Unavailable";
        busy.Headers = {"Retry-After: 30"};
        return busy;
    });
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0", 1));
    RunningProgram program(folder);
    ASSERT_TRUE(server.WaitForRequests(1, 15000));

    // A poll period of 1 s, and the user asking for the news on the way: still no request
    // within the 30 s (less a second for the reply's way back).
    EXPECT_FALSE(server.WaitForRequests(2, 3000));
    program.SendCommand(cmdCurrentNews);
    EXPECT_FALSE(server.WaitForRequests(2, 26000));
    ASSERT_TRUE(server.WaitForRequests(2, 8000));
    ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("after the wait") != std::string::npos; }, 8000));
    ASSERT_TRUE(program.Exit());
}

// The network comes back some seconds after a wake-up: the poll that fails then is tried
// again 5 s later, not after the period, and what it brings is logged.
TEST(News, WakingUpPollsWithinSecondsInsteadOfWaitingOutThePeriod)
{
    ScriptedHttpServer server;
    server.SetHandler([&](const RecordedRequest&) {
        if (server.RequestCount() == 1) {
            ScriptedReply noNetwork;
            noNetwork.CloseWithoutReply = true;
            return noNetwork;
        }
        return Page(server.RequestCount() == 0 ? "00:01" : "00:02", server.RequestCount() == 0 ? "asleep" : "awake");
    });
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0", 3600));
    RunningProgram program(folder);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(server.WaitForRequests(1, 15000));

    // Wine sends no power messages: the test sends the one Windows sends on waking up.
    ASSERT_TRUE(PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0)) << GetLastError();
    ASSERT_TRUE(server.WaitForRequests(2, 5000));
    const ULONGLONG failed = GetTickCount64();
    ASSERT_TRUE(server.WaitForRequests(3, 8000));
    EXPECT_GE(GetTickCount64() - failed, 4000u) << "tried again before the 5 s";
    EXPECT_TRUE(WaitUntil([&] { return program.LogText().find("awake") != std::string::npos; }, 5000));
    ASSERT_TRUE(program.Exit());
}

// Wine's shell always answers "accepts notifications": what holds the popup here is the
// window in front covering its monitor.
TEST(News, FullScreenWindowInFrontHoldsThePopupButNotTheLogEntry)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:01", "first"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    FullScreenWindow film;
    RunningProgram program(folder);
    ASSERT_TRUE(PumpUntil(
        [&] {
            SetForegroundWindow(film.Handle());
            return GetForegroundWindow() == film.Handle();
        },
        10000));
    const auto logged = [&](const std::string& text) {
        return folder.Read(L"news.rtf").value_or("").find(text) != std::string::npos;
    };
    ASSERT_TRUE(PumpUntil([&] { return logged("first"); }, 15000));
    server.SetReply(Page("00:02", "second"));
    ASSERT_TRUE(PumpUntil([&] { return logged("second"); }, 10000));
    // The tick that logged it would have shown it; one more tick for good measure.
    EXPECT_FALSE(PumpUntil([&] { return !program.Popups().empty(); }, 2500));

    film.Close();
    const ULONGLONG closed = GetTickCount64();
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 3000));
    EXPECT_LE(GetTickCount64() - closed, 3000u);
    EXPECT_EQ(Narrow(program.WindowText(popups[0])), "Soriel 3 - " + Today() + " 00:02");
    // What a screen reader announces.
    const std::vector<AccessibleElement> alert = ReadAccessible(popups[0]);
    ASSERT_FALSE(alert.empty());
    EXPECT_EQ(alert[0].role, ROLE_SYSTEM_ALERT);
    EXPECT_EQ(alert[0].name, "Soriel 3 - " + Today() + " 00:02");
    EXPECT_EQ(alert[0].description, "second\na 1 další zpráva");
    // Long enough for a second popup to follow, if one did.
    EXPECT_FALSE(WaitUntil([&] { return program.Popups().size() > 1; }, 2500));
    ASSERT_TRUE(program.Exit());
}

namespace {

std::string PercentEncoded(const std::string& text)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text)
        encoded += std::string("%") + hex[c >> 4] + hex[c & 15];
    return encoded;
}

std::string Repeated(const std::string& part, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += part;
    return text;
}

} // namespace

TEST(News, HostileItemsReachPopupLogAndFileAsOneLineEachAndAreLoggedOnce)
{
    // Each item's shape as the page writes it, and the one line the log shows for it.
    struct Shape {
        std::string timeOfDay, encoded, shown;
    };
    const std::string longText = Repeated("slovo ", 35000);
    const Shape shapes[] = {
        {"00:01", Repeated("slovo%20", 35000), longText.substr(0, 999) + "…"},
        // A line break followed by what looks like the next item's title.
        {"00:02", "prvn%C3%AD%0D" + PercentEncoded(Today() + " 00:03") + "%0Akonec%09tab", "první " + Today() + " 00:03 konec tab"},
        {"00:03", "skute%C4%8Dn%C3%A1", "skutečná"},
        // Direction overrides and isolates, a bell, a C1 control.
        {"00:04", "x%E2%80%AEy%E2%81%A6z%07w%C2%85v", "x y z w v"},
        {"00:05", kCzechEncoded, kCzech},
        // Bytes that are not UTF-8.
        {"00:06", "%C5%BDlu%FF%C5", "Žlu\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    ScriptedHttpServer server;
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    std::string log;
    {
        RunningProgram program(folder);
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(shape.timeOfDay);
            server.SetReply(Page(shape.timeOfDay, shape.encoded));
            ASSERT_TRUE(WaitUntil([&] { return program.LogText().find(shape.shown + "\r") != std::string::npos; }, 15000));
            // The popup's text is drawn by windowless labels: the presenter's test sees that
            // it is the very line the log gets. Its title is the window's own text.
            const std::string title = Today() + " " + shape.timeOfDay;
            EXPECT_TRUE(WaitUntil([&] {
                for (HWND popup : program.Popups())
                    if (Narrow(program.WindowText(popup)) == "Soriel 3 - " + title)
                        return true;
                return false;
            }, 5000));
            log += title + "\n" + shape.shown + "\n\n";
        }
        EXPECT_EQ(Lines(program.LogText()), log);
        ASSERT_TRUE(program.Exit());
    }
    const auto saved = RichTextOf(folder.Read(L"news.rtf").value_or(""));
    ASSERT_TRUE(saved);
    EXPECT_EQ(Lines(*saved), log);

    // After a restart the last item, still on the page, is announced again but not logged again.
    RunningProgram again(folder);
    ASSERT_TRUE(WaitUntil([&] { return !again.Popups().empty(); }, 15000));
    EXPECT_EQ(Lines(again.LogText()), log);
    ASSERT_TRUE(again.Exit());
}

TEST(News, PopupsTextOpensTheNewsPageAndAClickOnItsTitleShowsTheWindow)
{
    ScriptedHttpServer server;
    server.SetReply(Page("07:30", "odkaz"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server, "0"));
    RunningProgram program(folder, {.wineTrace = L"+exec"});
    const std::string newsPage = server.Url("/index.php/zpravodajstvy");
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 15000));

    // What a screen reader finds in the popup: its text, a link to the news page.
    const std::vector<AccessibleElement> body = ReadAccessible(GetWindow(popups[0], GW_CHILD));
    const auto link = std::find_if(body.begin(), body.end(), [](const auto& e) { return e.role == ROLE_SYSTEM_LINK; });
    ASSERT_NE(link, body.end());
    EXPECT_EQ(link->name, "odkaz");
    EXPECT_EQ(link->value, newsPage);

    ASSERT_TRUE(WineTrace()) << "run through ctest: the shell's calls are seen in Wine's trace";
    ASSERT_EQ(Count(*WineTrace(), newsPage), 0u);
    ClickPopup(popups[0], WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return Count(WineTrace().value_or(""), newsPage) > 0; }, 10000))
        << "the news page is opened through the shell";
    EXPECT_TRUE(WaitUntil([&] { return program.Popups().empty(); }, 5000));
    EXPECT_FALSE(IsWindowVisible(main));

    program.SendCommand(cmdCurrentNews);
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 8000));
    ClickPopup(popups[0], WM_LBUTTONDOWN, WM_LBUTTONUP, kOnTheTitle);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000)) << "as a double click on the icon";
    EXPECT_TRUE(WaitUntil([&] { return program.Popups().empty(); }, 5000));
    ASSERT_TRUE(program.Exit());
}

TEST(News, QuietHourLogsItemsWithoutPopupOrSoundButShowsWhatIsAskedForAndEndedShowsTheNewestWithTheCount)
{
    ScriptedHttpServer server;
    server.SetReply(Page("00:01", "first"));
    ProgramFolder folder;
    folder.Write(L"main.ini", Settings(server));
    RunningProgram program(folder, {.wineTrace = L"+winmm"});
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 15000));
    ASSERT_TRUE(WineTrace()) << "run through ctest: the sound is seen in Wine's trace";
    ASSERT_TRUE(WaitUntil([&] { return SoundsPlayedIn(folder) == 1; }, 10000));
    // A right click only puts the popup away.
    ClickPopup(popups[0], WM_RBUTTONDOWN, WM_RBUTTONUP, kOnTheTitle);
    ASSERT_TRUE(WaitUntil([&] { return program.Popups().empty(); }, 5000));
    EXPECT_FALSE(IsWindowVisible(main));

    program.SendCommand(cmdQuietHour);
    const auto logged = [&](const std::string& text) {
        return folder.Read(L"news.rtf").value_or("").find(text) != std::string::npos;
    };
    const auto loggedWithoutPopup = [&](const std::string& timeOfDay, const std::string& text) {
        server.SetReply(Page(timeOfDay, text));
        ASSERT_TRUE(WaitUntil([&] { return logged(text); }, 10000));
        // The tick that logged it would have shown it; one more tick for good measure.
        EXPECT_FALSE(WaitUntil([&] { return !program.Popups().empty(); }, 2500)) << text;
    };
    loggedWithoutPopup("00:02", "second");

    // Asked for, the current item comes all the same.
    program.SendCommand(cmdCurrentNews);
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 5000));
    EXPECT_EQ(Narrow(program.WindowText(popups[0])), "Soriel 3 - " + Today() + " 00:02");
    ClickPopup(popups[0], WM_RBUTTONDOWN, WM_RBUTTONUP, kOnTheTitle);
    ASSERT_TRUE(WaitUntil([&] { return program.Popups().empty(); }, 5000));
    const size_t sounds = SoundsPlayedIn(folder);

    loggedWithoutPopup("00:03", "third");
    loggedWithoutPopup("00:04", "fourth");
    EXPECT_EQ(SoundsPlayedIn(folder), sounds);

    program.SendCommand(cmdQuietHour);
    ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 3000));
    EXPECT_EQ(Narrow(program.WindowText(popups[0])), "Soriel 3 - " + Today() + " 00:04");
    const std::vector<AccessibleElement> alert = ReadAccessible(popups[0]);
    ASSERT_FALSE(alert.empty());
    EXPECT_EQ(alert[0].description, "fourth\na 1 další zpráva");
    EXPECT_TRUE(WaitUntil([&] { return SoundsPlayedIn(folder) == sounds + 1; }, 5000));
    EXPECT_FALSE(WaitUntil([&] { return program.Popups().size() > 1; }, 2500)) << "one popup for both";
    ASSERT_TRUE(program.Exit());
}
