#include <gtest/gtest.h>

#include <map>

#include "DialogDriver.h"
#include "RefusingFtpServer.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateDialogs.h"
#include "UpdateSigner.h"
#include "UpdateTestSupport.h"

namespace {

// How a text's handler answers; Unset leaves Res as it came.
enum class Answer { None, Unset, Accept, Other };

struct Case {
    const char* name;
    std::string sections; // [action], [whatsnew] and [eula] of the control file; SERVER: its address
    Answer whatsNew;
    Answer agreement;
    std::vector<DialogDriver::Step> dialogs;
    std::vector<int> instructionStatuses; // 934 to 942 and 960, in order
    std::vector<std::string> textsHandled;
    std::vector<std::string> requests; // after the control file
    bool signedRun = false;            // its files with their digests
};

const std::string kWhatsNew = "[whatsnew]\r\nfile=SERVER/whatsnew.txt\r\n";
const std::string kAgreement = "[eula]\r\nfile=SERVER/eula.txt\r\n";
// sha256sum of the what's-new text the server gives.
const std::string kWhatsNewSha256 = "7bbb478b59bb63a6d9258d521f3b832f61fab89f738eee985e0f415fefcf332b";

void SetHandler(TAutoUpdateTextDownloaded& handler, Answer answer, const char* name, std::vector<std::string>& handled)
{
    if (answer == Answer::None)
        return;
    handler = [=, &handled](TAutoUpdate&, TStringList& text, int& res) {
        handled.push_back(std::string(name) + ": " + text.Text());
        if (answer != Answer::Unset)
            res = answer == Answer::Accept ? 1 : 2;
    };
}

DialogDriver::Step Expect(const std::wstring& text, int button)
{
    return [=](HWND box) {
        EXPECT_EQ(MessageBoxText(box), text);
        Click(box, button);
    };
}

DialogDriver::Step CloseBox()
{
    return [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

} // namespace

// Whole runs against a loopback server: what each combination of instructions and answers
// reports, hands to its handlers and fetches.
TEST(UpdateInstructionsRun, StatusesTextsAndRequestsPerCombination)
{
    const std::vector<std::string> all{"/whatsnew.txt", "/eula.txt", "/files/data.txt"};
    const std::vector<std::string> textsOnly{"/whatsnew.txt", "/eula.txt"};
    const Case cases[] = {
        {"both texts accepted", kWhatsNew + kAgreement, Answer::Accept, Answer::Accept, {}, {937, 939},
         {"whatsnew: Nové\r\n", "eula: Smlouva\r\n"}, all},
        {"what's new left unanswered: the agreement is fetched, not shown", kWhatsNew + kAgreement, Answer::Unset,
         Answer::Accept, {}, {937, 939}, {"whatsnew: Nové\r\n"}, textsOnly},
        {"what's new answered 2", kWhatsNew + kAgreement, Answer::Other, Answer::Accept, {}, {937, 939},
         {"whatsnew: Nové\r\n"}, textsOnly},
        {"agreement left unanswered", kWhatsNew + kAgreement, Answer::Accept, Answer::Unset, {}, {937, 939},
         {"whatsnew: Nové\r\n", "eula: Smlouva\r\n"}, textsOnly},
        {"what's new missing on the server: skipped", "[whatsnew]\r\nfile=SERVER/gone.txt\r\n" + kAgreement,
         Answer::Unset, Answer::Accept, {}, {937, 939}, {"eula: Smlouva\r\n"},
         {"/gone.txt", "/eula.txt", "/files/data.txt"}},
        {"sections without a file", "[whatsnew]\r\ncaption=X\r\n[eula]\r\ncaption=Y\r\n", Answer::Unset,
         Answer::Unset, {}, {}, {}, {"/files/data.txt"}},
        {"message, then what's-new dialog closed by its close box",
         "[action]\r\nmsg=Ahoj\\nsvěte\r\n" + kWhatsNew + kAgreement, Answer::None, Answer::Accept,
         {Expect(L"Ahoj\r\nsvěte", IDOK), CloseBox()}, {934, 937, 938, 939}, {}, textsOnly},
        {"query declined ends the run", "[action]\r\nquery=Pokračovat?\r\n" + kWhatsNew, Answer::Accept,
         Answer::Accept, {Expect(L"Pokračovat?", IDNO)}, {936}, {}, {}},
        {"query accepted", "[action]\r\nquery=Pokračovat?\r\n", Answer::Accept, Answer::Accept,
         {Expect(L"Pokračovat?", IDYES)}, {936}, {}, {"/files/data.txt"}},
        // A signed control file vouches for a text only through its digest.
        {"signed: a text without its digest is neither fetched nor shown, and ends the run", kWhatsNew,
         Answer::Accept, Answer::Accept, {}, {937}, {}, {}, true},
        {"signed: a page over http is not opened", "[action]\r\nshowURL=http://127.0.0.1:9/zpravy\r\n", Answer::None,
         Answer::None, {}, {942, 960}, {}, {"/files/data.txt"}, true},
        {"signed: a text with its digest", "[whatsnew]\r\nfile=SERVER/whatsnew.txt\r\nsha256=" + kWhatsNewSha256 + "\r\n",
         Answer::Accept, Answer::Accept, {}, {937}, {"whatsnew: Nové\r\n"}, {"/whatsnew.txt", "/files/data.txt"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        ScratchFolder target;
        std::string sections = c.sections;
        for (size_t at; (at = sections.find("SERVER")) != std::string::npos;)
            sections.replace(at, 6, server.Url(""));
        const std::string control = "[update]\r\ndate=02/01/2020\r\n" +
                                    std::string(c.signedRun ? "serial=1\r\nexpires=2099-12-31\r\n" : "") + sections +
                                    "[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url("/files/data.txt") +
                                    "\r\ntargetdir=" + target.Path() + "\r\nsha256=" + kPayloadSha256 + "\r\n";
        const std::map<std::string, std::string> files = {{"/app1h.inf", control},
                                                          {"/app1h.inf.sig", SignControlFile(control)},
                                                          {"/whatsnew.txt", "Nov\xC3\xA9\r\n"},
                                                          {"/eula.txt", "Smlouva"},
                                                          {"/files/data.txt", kPayload}};
        server.SetHandler([&](const RecordedRequest& request) { return ServedOrNotFound(files, request.Target); });

        RecordingUpdate update;
        update.SetUpSilentHttpRun(server.Url("/app1h.inf"), target.Path());
        if (c.signedRun)
            update.PublicKeys = BuiltInUpdatePublicKeys();
        std::vector<std::string> handled;
        SetHandler(update.OnDownloadedWhatsNew, c.whatsNew, "whatsnew", handled);
        SetHandler(update.OnDownloadedEULA, c.agreement, "eula", handled);
        {
            DialogDriver driver(c.dialogs);
            update.RunUpdate();
            EXPECT_EQ(driver.Driven(), c.dialogs.size());
        }

        std::vector<int> instructions;
        for (int id : update.Ids())
            if ((id >= 934 && id <= 942) || id == 960)
                instructions.push_back(id);
        EXPECT_EQ(instructions, c.instructionStatuses);
        EXPECT_EQ(handled, c.textsHandled);
        std::vector<std::string> requests;
        for (const RecordedRequest& request : server.Requests())
            if (request.Target != "/app1h.inf" && request.Target != "/app1h.inf.sig")
                requests.push_back(request.Target);
        EXPECT_EQ(requests, c.requests);
    }
}

// The page of an HTML dialog instruction. Wine's HTML engine cannot be had here (mshtml is
// switched off), so the platform's page dialog is missing and the address is offered in a
// box instead; answered No, nothing is opened.
TEST(UpdateInstructionsRun, PageOfferedWhenThePlatformHasNoPageDialog)
{
    ScriptedHttpServer server;
    ScratchFolder target;
    const std::string page = server.Url("/news.htm");
    server.SetReply({.Body = "[update]\r\ndate=02/01/2020\r\n[action]\r\nhtmldlg=" + page + "\r\n"});
    RecordingUpdate update;
    update.UpdateType = TAutoUpdateType::httpUpdate;
    update.URL = server.Url("/app1h.inf");
    update.TempDirectory = target.Path();
    DialogDriver driver({Expect(Widen("This update comes with a page to read:\r\n\r\n" + page +
                                      "\r\n\r\nOpen it in your web browser?"),
                                IDNO)});
    update.RunUpdate();
    EXPECT_EQ(driver.Driven(), 1u);
    EXPECT_TRUE(update.Reported(935));
    EXPECT_EQ(server.RequestCount(), 1u) << "the page is not fetched by the update";
}

namespace {

struct PromptCase {
    const char* name;
    TAutoUpdateUpdate mode;
    bool restart; // the files belong to the application, which restarts without a handler
    std::vector<DialogDriver::Step> dialogs;
    std::vector<std::string> expectedRequests; // after the control file
    std::vector<std::string> expectedEnd;      // what the run did after its downloads
};

} // namespace

// Asking before downloads and before the restart, each answer in a whole run.
TEST(UpdateInstructionsRun, PromptsBeforeDownloadsAndRestart)
{
    using enum TAutoUpdateUpdate;
    const std::wstring once = L"Download update files ?", restart = L"Shutdown application to update executable files ?";
    const PromptCase cases[] = {
        {"every file asked for, the second declined", auuPromptAll, false,
         {Expect(L"Download update file : a.txt", IDYES), Expect(L"Download update file : b.txt", IDNO),
          Expect(L"Download update file : c.txt", IDYES)},
         {"/files/a.txt", "/files/c.txt"},
         {"948", "success"}},
        {"asked once, accepted", auuPromptOnce, false, {Expect(once, IDYES)},
         {"/files/a.txt", "/files/b.txt", "/files/c.txt"},
         {"948", "success"}},
        {"asked once, declined: the closing steps still run", auuPromptOnce, false, {Expect(once, IDNO)}, {},
         {"948", "success"}},
        {"restart declined", auuSilent, true, {Expect(restart, IDNO)},
         {"/files/a.txt", "/files/b.txt", "/files/c.txt"},
         {"948", "success"}},
        // The test program carries no updater, so the start fails; the application stays.
        {"restart accepted", auuSilent, true, {Expect(restart, IDYES)},
         {"/files/a.txt", "/files/b.txt", "/files/c.txt"},
         {"948", "success", "950"}},
    };
    for (const PromptCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        ScratchFolder target;
        std::string control = "[update]\r\ndate=02/01/2020\r\n[files]\r\ncount=3\r\n";
        if (c.restart)
            control += "[application]\r\nappupdate=1\r\nappname=app.exe\r\nappcomps=" + target.File("c.txt") + "\r\n";
        for (const char* name : {"a", "b", "c"})
            control += std::string("[file") + char(name[0] - 'a' + '1') + "]\r\nurl=" +
                       server.Url(std::string("/files/") + name + ".txt") + "\r\ntargetdir=" + target.Path() + "\r\n";
        server.SetHandler([&](const RecordedRequest& request) {
            return ScriptedReply{.Body = request.Target == "/app1h.inf" ? control : kPayload};
        });
        RecordingUpdate update;
        update.SetUpSilentHttpRun(server.Url("/app1h.inf"), target.Path());
        update.UpdateUpdate = c.mode;
        std::vector<std::string> end;
        update.OnSuccess = [&](TAutoUpdate&) { end.push_back("success"); };
        update.OnAppDoClose = [&](TAutoUpdate&) { end.push_back("close"); };
        update.OnStatus = [&](TAutoUpdate&, const std::string& text, int, int) {
            if (text.rfind("Finished", 0) == 0 || text.rfind("Failed to spawn", 0) == 0)
                end.push_back(text.rfind("Finished", 0) == 0 ? "948" : "950");
        };
        {
            DialogDriver driver(c.dialogs);
            update.RunUpdate();
            EXPECT_EQ(driver.Driven(), c.dialogs.size());
        }
        std::vector<std::string> requests;
        for (const RecordedRequest& request : server.Requests())
            if (request.Target != "/app1h.inf" && request.Target != "/app1h.inf.sig")
                requests.push_back(request.Target);
        EXPECT_EQ(requests, c.expectedRequests);
        EXPECT_EQ(end, c.expectedEnd);
        std::vector<std::string> expectedFiles;
        for (const std::string& request : c.expectedRequests)
            expectedFiles.push_back(request.substr(7));
        EXPECT_EQ(target.Files(), expectedFiles);
    }
}

// The platform's text for an Internet error (Wine's library has none for some).
std::string WinInetText(DWORD code)
{
    wchar_t text[1025] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  GetModuleHandleW(L"wininet.dll"), code, 0, text, 1025, nullptr);
    return Narrow(std::wstring_view(text, length));
}

// An FTP server that refuses the login: the platform's error, or for an extended error the
// server's own answer, goes to the status handler, or into an error box when there is none.
// Wine gives an extended error's own code (12003) as the code of the server's answer.
TEST(UpdateInstructionsRun, RefusedFtpLoginReported)
{
    struct Case {
        const char* name;
        std::string answer;
        bool handler;
        const char* user;
        std::string expectedReport; // text (statuscode/errcode), by handler or box
    } cases[] = {
        {"extended error to the handler", "550 Soriel odmita", true, "anonymous", "550 Soriel odmita (1/12003)"},
        {"extended error in a box", "550 Soriel odmita", false, "anonymous", "550 Soriel odmita"},
        {"login failure to the handler", "530 Login incorrect.", true, "anna",
         WinInetText(ERROR_INTERNET_LOGIN_FAILURE) + " (1/12015)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefusingFtpServer server(c.answer);
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::ftpUpdate;
        update.Host = "127.0.0.1";
        update.Port = server.Port();
        if (std::string(c.user) != "anonymous") {
            update.UserID = c.user;
            update.Password = "tajne";
        }
        std::vector<std::string> reports;
        if (c.handler)
            update.OnStatus = [&](TAutoUpdate&, const std::string& text, int statuscode, int errcode) {
                if (statuscode == 1)
                    reports.push_back(text + " (" + std::to_string(statuscode) + "/" + std::to_string(errcode) + ")");
            };
        std::vector<DialogDriver::Step> boxes;
        if (!c.handler)
            boxes.push_back([&](HWND box) {
                reports.push_back(Narrow(MessageBoxText(box)));
                Click(box, IDOK);
            });
        {
            DialogDriver driver(boxes);
            update.RunUpdate();
            EXPECT_EQ(driver.Driven(), boxes.size());
        }
        EXPECT_EQ(server.Commands(), std::vector<std::string>{std::string("USER ") + c.user});
        EXPECT_EQ(reports, std::vector<std::string>{c.expectedReport});
        EXPECT_EQ(update.Ids().back(), 949) << "the run closes";
        EXPECT_FALSE(update.Reported(925)) << "no control file is asked for";
    }
}
