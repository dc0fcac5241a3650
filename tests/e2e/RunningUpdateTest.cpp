#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AppPath.h"
#include "DetachedSignature.h"
#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSigner.h"

// A copy that runs for weeks, for real: main.exe 3.1.0 with UpdateCheckMinutes=1 finds control
// files published after its start and announces them by a popup and the menu item
// "Aktualizovat", without a dialog. One that asks nothing it carries out by itself, as nobody
// touches the computer (run-own-wineserver.sh: a server that has seen no input; the 5 minutes
// of being away are the rules' table's). While a full-screen window is in front nothing is
// checked and nothing shown; a click on the popup then updates the program to 3.1.1.
namespace {

using Clock = std::chrono::steady_clock;

const std::string kControlPath = "/update/upd_snh/app1h.inf";
const std::string kNewsPath = "/index.php/zpravodajstvy";
const std::string kProgramPath = "/update/upd_snh/main.exe_NEW";
const std::string kDataPath = "/update/upd_snh/data.txt";
const std::string kData = "Data of the update that asks nothing.\r\n";

std::string Built(const wchar_t* name) { return ReadWholeFile(GetAppPath() + name).value_or(""); }

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// The maker's server: the news page without items (no news popup), the control file once
// published, its signature, the files, the post; every request noted with its time.
class MakerServer {
public:
    MakerServer()
    {
        server_.SetHandler([this](const RecordedRequest& request) { return Answer(request); });
    }
    std::string Settings() const
    {
        return "[Sources]\r\nNewsURL=" + server_.Url(kNewsPath) + "\r\nUpdateURL=" + server_.Url(kControlPath) +
               "\r\nMakerURL=" + server_.Url("/") + "\r\nPollSeconds=5\r\n[Settings]\r\nUpdateCheckMinutes=1\r\n";
    }
    // The program 3.1.1, restarted without asking: the person is asked for the restart.
    void PublishNewProgram()
    {
        const std::string program = Built(L"main_next.exe");
        Publish("[update]\r\nserial=2\r\nexpires=2099-12-31\r\ndescr=Oprava zobrazení zpráv\r\n"
                "newversion=3.1.1.0\r\nlocalversion={APP}\\main.exe\r\n"
                "[application]\r\nappupdate=1\r\nappname={APP}\\main.exe\r\nappcomps={APP}\\main.exe_NEW\r\n"
                "[files]\r\ncount=1\r\n[file1]\r\nurl=" +
                server_.Url(kProgramPath) +
                "\r\nnewversion=3.1.1.0\r\nlocalversion={APP}\\main.exe\r\ntargetdir={APP}\r\nsha256=" +
                Sha256Hex(program) + "\r\n");
    }
    // A data file for the program, asking nothing of the person.
    void PublishSilentUpdate()
    {
        Publish("[update]\r\nserial=1\r\nexpires=2099-12-31\r\nunconditional=1\r\ndescr=Nová data\r\n"
                "[application]\r\nappupdate=1\r\nappname={APP}\\main.exe\r\nsilentrestart=1\r\n"
                "[files]\r\ncount=1\r\n[file1]\r\nurl=" +
                server_.Url(kDataPath) + "\r\ntargetdir={APP}\\data\r\nsha256=" + Sha256Hex(kData) + "\r\n");
    }
    // The control file sent a little at a time: a check takes a few seconds.
    void ServeControlFileSlowly(bool slowly) { slowControlFile_ = slowly; }

    struct Request {
        std::string target;
        Clock::time_point at;
    };
    std::vector<Request> Requests() const
    {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    size_t RequestsFor(const std::string& target) const
    {
        const auto requests = Requests();
        return size_t(std::count_if(requests.begin(), requests.end(),
                                    [&](const Request& request) { return request.target == target; }));
    }

private:
    void Publish(const std::string& control)
    {
        const std::lock_guard lock(mutex_);
        control_ = control;
    }

    ScriptedReply Answer(const RecordedRequest& request)
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back({request.Target, Clock::now()});
        if (request.Target == kNewsPath)
            return {200, "OK", {}, "<table>\r\n</table>\r\n"};
        if (request.Target == kControlPath && !control_.empty()) {
            ScriptedReply reply{200, "OK", {}, control_};
            if (slowControlFile_) {
                reply.TrickleBytes = 64;
                reply.TrickleDelayMs = 500;
            }
            return reply;
        }
        if (request.Target == kControlPath + ".sig" && !control_.empty())
            return {200, "OK", {}, SignControlFile(control_)};
        if (request.Target == kProgramPath)
            return {200, "OK", {}, Built(L"main_next.exe")};
        if (request.Target == kDataPath)
            return {200, "OK", {}, kData};
        if (request.Target == "/asp/autoupdate.asp")
            return {200, "OK", {}, "thanks"};
        return {404, "Not Found", {}, "none"};
    }

    mutable std::mutex mutex_;
    std::string control_;
    std::atomic<bool> slowControlFile_{false};
    std::vector<Request> requests_;
    ScriptedHttpServer server_;
};

// The program's announcement popups now on screen (news popups are titled by their item).
std::vector<HWND> Announcements(const RunningProgram& program)
{
    std::vector<HWND> found;
    for (HWND popup : program.Popups())
        if (program.WindowText(popup) == L"Soriel online")
            found.push_back(popup);
    return found;
}

// The height of the tray menu as it opens now; 0 when it did not open. Closed again.
int TrayMenuHeight(const RunningProgram& program)
{
    const HWND tray = program.FindWindowOfClass(L"SorielTrayIcon");
    PostMessageW(tray, RunningProgram::kTrayCallback, kIconId, WM_CONTEXTMENU);
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 10000))
        return 0;
    RECT rect{};
    GetWindowRect(menu, &rect);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 5000));
    return rect.bottom - rect.top;
}

// A left click in the middle of the popup, as the system sends it to the window there.
void ClickMiddleOf(HWND popup)
{
    RECT rect{};
    GetWindowRect(popup, &rect);
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const HWND target = WindowFromPoint(point);
    ASSERT_TRUE(target == popup || IsChild(popup, target));
    ScreenToClient(target, &point);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

// A window of this test covering the whole screen, in front: a film or a presentation.
class FullScreenWindow {
public:
    FullScreenWindow()
        : window_(CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  nullptr, nullptr))
    {
        SetForegroundWindow(window_);
    }
    ~FullScreenWindow() { DestroyWindow(window_); }
    FullScreenWindow(const FullScreenWindow&) = delete;
    FullScreenWindow& operator=(const FullScreenWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

// How long the tray icon's window took at most to answer, asked again and again meanwhile.
class TrayAnswerWatch {
public:
    explicit TrayAnswerWatch(HWND tray)
        : thread_([this, tray] {
              while (!stop_) {
                  const auto asked = Clock::now();
                  DWORD_PTR result = 0;
                  if (!SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
                      failed_ = true;
                  longestMs_ = std::max(longestMs_.load(), Seconds(Clock::now() - asked) * 1000);
                  Sleep(100);
              }
          })
    {
    }
    ~TrayAnswerWatch()
    {
        stop_ = true;
        thread_.join();
    }
    double LongestMs() const { return longestMs_; }
    bool Failed() const { return failed_; }

private:
    std::atomic<bool> stop_{false}, failed_{false};
    std::atomic<double> longestMs_{0};
    std::thread thread_;
};

// The longest time between two polls from `from` on.
double LongestPollGap(const MakerServer& server, Clock::time_point from)
{
    std::vector<Clock::time_point> polls;
    for (const auto& request : server.Requests())
        if (request.target == kNewsPath && request.at >= from)
            polls.push_back(request.at);
    double longest = 0;
    for (size_t i = 1; i < polls.size(); ++i)
        longest = std::max(longest, Seconds(polls[i] - polls[i - 1]));
    return longest;
}

// Milliseconds since the last input the system knows of (none at all under Wine).
uint64_t IdleMs()
{
    LASTINPUTINFO input{sizeof input};
    GetLastInputInfo(&input);
    return DWORD(GetTickCount() - input.dwTime);
}

} // namespace

TEST(RunningUpdate, FoundWhileRunningAnnouncedAndCarriedOutWhenSilentAndIdleOrOnAClick)
{
    MakerServer server;
    ProgramFolder folder(L"soriel running");
    folder.Write(L"main.ini", server.Settings());
    RunningProgram old(folder);
    const HWND main = old.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return old.WindowText(main) == L"Soriel online 3.1.0"; }, 30000));
    ASSERT_EQ(server.RequestsFor(kControlPath), 1u) << "the start-up run asks once";
    const int menuHeight = TrayMenuHeight(old);
    ASSERT_GT(menuHeight, 0);

    // An update that asks nothing, published after the start: found at a check, announced, and
    // once the announcement has gone carried out without anyone touching anything. The tray
    // answers throughout, and the polls go on.
    server.ServeControlFileSlowly(true);
    server.PublishSilentUpdate();
    Clock::time_point published = Clock::now();
    const uint64_t idle = IdleMs();
    const unsigned stillAwayMs = idle >= 5 * 60 * 1000 ? 0 : unsigned(5 * 60 * 1000 - idle);
    std::cout << "nobody at the computer for " << idle / 1000 << " s as the silent update is published\n";
    {
        TrayAnswerWatch tray(old.FindWindowOfClass(L"SorielTrayIcon"));
        ASSERT_TRUE(WaitUntil([&] { return !Announcements(old).empty(); }, 120000));
        const auto found = Clock::now();
        EXPECT_EQ(server.RequestsFor(kDataPath), 0u) << "carried out before the announcement had gone";
        ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"data\\data.txt"); }, 90000 + stillAwayMs));
        const auto done = Clock::now();
        std::cout << "silent update: found " << Seconds(found - published) << " s after publishing, carried out "
                  << Seconds(done - found) << " s later; the tray answered within " << tray.LongestMs()
                  << " ms at most; polls at most " << LongestPollGap(server, published) << " s apart\n";
        EXPECT_LT(Seconds(found - published), 120.0);
        // Never held up for long; how long at most is measured above, not judged: Wine on a
        // busy machine pauses a program now and then on its own.
        EXPECT_FALSE(tray.Failed()) << "the tray did not answer for 5 s";
    }
    EXPECT_EQ(folder.Read(L"data\\data.txt"), kData);
    EXPECT_LT(LongestPollGap(server, published), 35.0);
    server.ServeControlFileSlowly(false);

    // The program 3.1.1, published while a full-screen window is in front: the check due a
    // minute after the last one waits, and nothing is shown.
    {
        FullScreenWindow fullScreen;
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == fullScreen.Handle(); }, 5000));
        const size_t checks = server.RequestsFor(kControlPath);
        server.PublishNewProgram();
        published = Clock::now();
        while (Clock::now() - published < std::chrono::seconds(80)) {
            EXPECT_TRUE(old.Popups().empty()) << "a popup over the full-screen window";
            Sleep(500);
        }
        EXPECT_EQ(server.RequestsFor(kControlPath), checks) << "checked while a full-screen window was in front";
    }
    const auto released = Clock::now();
    std::vector<HWND> announcements;
    ASSERT_TRUE(WaitUntil([&] { return !(announcements = Announcements(old)).empty(); }, 40000))
        << "no announcement after the full-screen window went";
    std::cout << "announced " << Seconds(Clock::now() - released) << " s after the full-screen window went, "
              << Seconds(Clock::now() - published) << " s after publishing\n";
    const std::vector<AccessibleElement> read = ReadAccessible(announcements.front());
    ASSERT_FALSE(read.empty());
    EXPECT_EQ(read.front().description,
              "K dispozici je nová verze programu Soriel online\n\nOprava zobrazení zpráv");
    EXPECT_EQ(server.RequestsFor(kProgramPath), 0u) << "downloaded before the click";
    EXPECT_GT(TrayMenuHeight(old), menuHeight) << "no \"Aktualizovat\" in the menu";

    // A click on the popup: the whole run, the restart, 3.1.1 back hidden in the tray.
    const auto clicked = Clock::now();
    ClickMiddleOf(announcements.front());
    ASSERT_TRUE(old.WaitForExit(60000)) << "the old program did not end for the update";
    RestartedProgram after = WaitForRestartedProgram(folder, 60000);
    ASSERT_TRUE(after.window) << "no program came back";
    ASSERT_TRUE(WaitUntil([&] { return after.program->WindowText(after.window) == L"Soriel online 3.1.1"; }, 30000));
    std::cout << "click to the restarted 3.1.1 done with its start-up: " << Seconds(Clock::now() - clicked) << " s\n";
    EXPECT_FALSE(IsWindowVisible(after.window));
    EXPECT_TRUE(folder.Read(L"main.exe") == Built(L"main_next.exe")) << "main.exe is not the new build";
    EXPECT_NE(folder.Read(L"main.ini").value_or("").find("Sound=1"), std::string::npos)
        << "the sound option was not saved before the hand-over";
    EXPECT_TRUE(folder.Exists(L"news.rtf")) << "the news log was not saved before the hand-over";
    EXPECT_TRUE(after.program->Exit());
}
