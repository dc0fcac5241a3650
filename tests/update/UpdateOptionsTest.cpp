#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>

#include "AppPath.h"
#include "FileIO.h"
#include "Text.h"
#include "UpdateRunPlaces.h"
#include "UpdateTestSupport.h"
#include "Waiting.h"

// Whole update runs with the options that this program leaves off, each against a loopback
// server: what the server saw, what the files, the registry and the update log show.
namespace {

// A registry place of this test's own, removed afterwards.
struct TestRegistryPlace {
    const std::string key = "Software\\Soriel online tests";
    const std::string section = "options-" + std::to_string(GetCurrentProcessId());
    ~TestRegistryPlace() { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key + "\\" + section).c_str()); }

    std::string Read(const char* name) const
    {
        wchar_t value[1024] = {};
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, Widen(key + "\\" + section).c_str(), Widen(name).c_str(), RRF_RT_REG_SZ,
                         nullptr, value, &size) != ERROR_SUCCESS)
            return "(none)";
        return Narrow(value);
    }
    void Write(const char* name, const std::string& text) const
    {
        const std::wstring value = Widen(text);
        RegSetKeyValueW(HKEY_CURRENT_USER, Widen(key + "\\" + section).c_str(), Widen(name).c_str(), REG_SZ,
                        value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
};

// A day of January 2020 (by default the 2nd, the control files' date), 10:30 in the
// system's own short date and time formats.
std::string SystemDateText(WORD dayOfMonth = 2)
{
    SYSTEMTIME day{.wYear = 2020, .wMonth = 1, .wDay = dayOfMonth, .wHour = 10, .wMinute = 30};
    wchar_t text[100] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, text, 100);
    return Narrow(text);
}
std::string SystemTimeText()
{
    SYSTEMTIME day{.wYear = 2020, .wMonth = 1, .wDay = 2, .wHour = 10, .wMinute = 30};
    wchar_t text[100] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &day, nullptr, text, 100);
    return Narrow(text);
}

struct OptionCase {
    const char* name;
    std::string control; // the control file's sections after [update]
    std::function<void(RecordingUpdate&, RunPlaces&)> configure;
    std::map<std::string, std::string> served; // bodies by request target, beside the control file
    std::vector<std::string> expectedRequests;
    std::vector<int> expectedLogged; // in this order among the log's lines
    std::vector<std::string> expectedTargetFiles;
    std::function<void(RunPlaces&, const RecordingUpdate&)> check = [](RunPlaces&, const RecordingUpdate&) {};
    int runs = 1;
    bool challenge = false; // requests without credentials are answered 401 (Basic)
};

// While it lives the shell opens "http:" addresses with a stand-in program
// (UpdaterProbe.cpp): what was opened is then in its marks. Wine's shell looks only at the
// machine's classes, so the machine's handler is replaced for that time and then restored.
class StandInBrowser {
public:
    StandInBrowser()
    {
        const std::wstring program = Widen(folder_.File("browser.exe"));
        CopyFileW((GetAppPath() + L"steady_probe.exe").c_str(), program.c_str(), FALSE);
        wchar_t previous[1024] = {};
        DWORD size = sizeof previous;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kCommand, nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) ==
            ERROR_SUCCESS)
            previous_ = previous;
        Set(L"\"" + program + L"\" \"%1\"");
    }
    ~StandInBrowser() { Set(previous_); }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

    std::vector<std::string> Opened() const
    {
        TStringList lines;
        lines.SetText(folder_.Read("marks.txt").value_or(""));
        return lines.Lines();
    }

private:
    static constexpr const wchar_t* kCommand = L"Software\\Classes\\http\\shell\\open\\command";
    static void Set(const std::wstring& command)
    {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCommand, nullptr, REG_SZ, command.c_str(),
                        DWORD((command.size() + 1) * sizeof(wchar_t)));
    }
    ScratchFolder folder_;
    std::wstring previous_;
};

const std::string kOneFile = "[files]\r\ncount=1\r\n[file1]\r\nurl=SERVER/files/data.txt\r\ntargetdir=TARGET\r\n";
const std::string kRedirection = "[action]\r\nupdateURL=SERVER/next/app1h.inf\r\n" + kOneFile;
const std::string kProxied = "http://updates.soriel.invalid";
const std::string kCredentials = "Authorization: Basic YW5uYTp0YWpuZQ=="; // anna:tajne

void ProxyCredentials(RecordingUpdate& update)
{
    update.ProxyUserID = "anna";
    update.ProxyPassword = "tajne";
}

void ThroughProxy(RecordingUpdate& update, const RunPlaces& places)
{
    update.Proxy = places.server.Url("").substr(7);
    update.URL = kProxied + "/app1h.inf";
}

// The registry place without Save, holding a last address and a last date of January 2020.
void UnsavedPlace(RecordingUpdate& update, const RunPlaces& places, const TestRegistryPlace& registry,
                  WORD dayOfMonth)
{
    update.LastURLEntry = {.Save = false, .Key = registry.key, .Section = registry.section};
    registry.Write("LastURL", places.server.Url("/moved/app1h.inf"));
    registry.Write("LastDate", SystemDateText(dayOfMonth));
    registry.Write("LastTime", SystemTimeText());
}

// The patch program is run from the program folder, this test program's, whatever the
// current folder: the stand-in goes there, and notes its run there.
void PatchRow(RecordingUpdate& update, RunPlaces& places, const char* patcher)
{
    update.ApplyPatch = true;
    DeleteFileW((GetAppPath() + L"marks.txt").c_str());
    CopyFileW((GetAppPath() + Widen(patcher) + L"_probe.exe").c_str(), (GetAppPath() + L"patcher.exe").c_str(), FALSE);
    places.target.Write("old.bin", "old");
}

// What the stand-in patch program noted; it and its marks are then removed.
std::string TakePatcherMarks()
{
    const std::string marks = ReadWholeFile(GetAppPath() + L"marks.txt").value_or("");
    DeleteFileW((GetAppPath() + L"marks.txt").c_str());
    DeleteFileW((GetAppPath() + L"patcher.exe").c_str());
    return marks;
}

// The bytes of this test program, whose file version VersionFile.rc sets.
std::string OwnProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ReadWholeFile(path).value_or("");
}

const std::string kPatchFile =
    "[files]\r\ncount=1\r\n[file1]\r\nurl=SERVER/files/fix.PAT\r\ntargetdir=TARGET\r\nlocalversion=TARGETold.bin\r\n";

} // namespace

TEST(UpdateOptions, EachOptionInAWholeRun)
{
    TestRegistryPlace registry;
    const StandInBrowser browser;
    const OptionCase cases[] = {
        {"named proxy",
         "[files]\r\ncount=1\r\n[file1]\r\nurl=" + kProxied + "/files/data.txt\r\ntargetdir=TARGET\r\n",
         [](RecordingUpdate& update, RunPlaces& places) { ThroughProxy(update, places); },
         {{kProxied + "/files/data.txt", kPayload}},
         {"GET " + kProxied + "/app1h.inf", "GET " + kProxied + "/files/data.txt"},
         {921, 926, 943, 915, 948, 949},
         {"data.txt"}},
        {"proxy credentials in the addresses, through the named proxy",
         "[files]\r\ncount=1\r\n[file1]\r\nurl=" + kProxied + "/files/data.txt\r\ntargetdir=TARGET\r\n",
         [](RecordingUpdate& update, RunPlaces& places) {
             ThroughProxy(update, places);
             ProxyCredentials(update);
         },
         {{kProxied + "/files/data.txt", kPayload}},
         {"GET " + kProxied + "/app1h.inf", "GET " + kProxied + "/app1h.inf [" + kCredentials + "]",
          "GET " + kProxied + "/files/data.txt", "GET " + kProxied + "/files/data.txt [" + kCredentials + "]"},
         {926, 943, 948},
         {"data.txt"},
         [](RunPlaces&, const RecordingUpdate&) {},
         1,
         true},
        {"proxy credentials in the address shown",
         "[action]\r\nshowURL=SERVER/news.htm\r\n" + kOneFile,
         [](RecordingUpdate& update, RunPlaces&) { ProxyCredentials(update); },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {926, 942, 943, 948},
         {"data.txt"},
         [&browser](RunPlaces& places, const RecordingUpdate&) {
             const std::string opened = "steady http://anna:tajne@" + places.server.Url("/news.htm").substr(7);
             EXPECT_TRUE(WaitUntil([&] { return !browser.Opened().empty(); }, 10000));
             EXPECT_EQ(browser.Opened(), std::vector<std::string>{opened});
         }},
        // The server asks for credentials; the request is made again with them. Only with the
        // option do requests ask for the connection to be kept.
        {"keep-alive with authentication", kOneFile,
         [](RecordingUpdate& update, RunPlaces&) {
             update.HTTPKeepAliveAuthentication = true;
             ProxyCredentials(update);
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf [Connection: Keep-Alive]",
          "GET /app1h.inf [" + kCredentials + "] [Connection: Keep-Alive]",
          "GET /files/data.txt [Connection: Keep-Alive]",
          "GET /files/data.txt [" + kCredentials + "] [Connection: Keep-Alive]"},
         {926, 943, 948},
         {"data.txt"},
         [](RunPlaces&, const RecordingUpdate&) {},
         1,
         true},
        {"last address from the registry; the next address and the date stored", kRedirection,
         [&registry](RecordingUpdate& update, RunPlaces& places) {
             update.LastURLEntry = {.Save = true, .Key = registry.key, .Section = registry.section};
             if (registry.Read("LastURL") == "(none)")
                 registry.Write("LastURL", places.server.Url("/moved/app1h.inf"));
         },
         {{"/files/data.txt", kPayload}},
         // The second run fetches from the stored address and finds its date already taken.
         {"GET /moved/app1h.inf", "GET /files/data.txt", "GET /next/app1h.inf"},
         {926, 929, 915, 941, 948, 949, 926, 930, 949},
         {"data.txt"},
         [&registry](RunPlaces& places, const RecordingUpdate&) {
             EXPECT_EQ(registry.Read("LastURL"), places.server.Url("/next/app1h.inf"));
             EXPECT_EQ(registry.Read("LastDate"), SystemDateText());
             EXPECT_EQ(registry.Read("LastTime"), SystemTimeText());
         },
         2},
        // Without Save the date is still read, but neither address is read, and nothing is
        // stored: first a date already taken, then an earlier one.
        {"registry place without saving, date taken", kRedirection,
         [&registry](RecordingUpdate& update, RunPlaces& places) { UnsavedPlace(update, places, registry, 2); },
         {},
         {"GET /app1h.inf"},
         {926, 928, 930, 949},
         {}},
        {"registry place without saving, earlier date", kRedirection,
         [&registry](RecordingUpdate& update, RunPlaces& places) { UnsavedPlace(update, places, registry, 1); },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {926, 928, 929, 941, 948, 949},
         {"data.txt"},
         [&registry](RunPlaces& places, const RecordingUpdate&) {
             EXPECT_EQ(registry.Read("LastURL"), places.server.Url("/moved/app1h.inf"));
             EXPECT_EQ(registry.Read("LastDate"), SystemDateText(1));
         }},
        {"commands before and after the download",
         "[action]\r\nrunbefore={APP}\\before.exe first\r\nrunafter={APP}\\after.exe second\r\n" + kOneFile,
         [](RecordingUpdate&, RunPlaces& places) {
             places.PlaceProbe("steady", "before.exe");
             places.PlaceProbe("steady", "after.exe");
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {926, 943, 915, 948},
         {"data.txt"},
         [](RunPlaces& places, const RecordingUpdate&) {
             // Neither is waited for.
             EXPECT_TRUE(WaitUntil([&] { return places.Marks().size() == 2; }, 10000));
             EXPECT_EQ(places.Marks(), (std::vector<std::string>{"steady first", "steady second"}));
         }},
        {"patch applied by the patch program, then removed", kPatchFile,
         [](RecordingUpdate& update, RunPlaces& places) { PatchRow(update, places, "steady"); },
         {{"/files/fix.PAT", "patch"}},
         {"GET /app1h.inf", "GET /files/fix.PAT"},
         {943, 915, 948},
         {"old.bin"},
         [](RunPlaces& places, const RecordingUpdate&) {
             EXPECT_EQ(TakePatcherMarks(),
                       "steady " + places.target.File("fix.PAT") + " " + places.target.File("old.bin") + "\r\n");
         }},
        {"failing patch program, intermediate files kept", kPatchFile,
         [](RecordingUpdate& update, RunPlaces& places) {
             PatchRow(update, places, "failing");
             update.KeepIntermediateFiles = true;
         },
         {{"/files/fix.PAT", "patch"}},
         {"GET /app1h.inf", "GET /files/fix.PAT"},
         {943, 915, 948},
         {"fix.PAT", "old.bin"},
         [](RunPlaces& places, const RecordingUpdate& update) {
             EXPECT_EQ(TakePatcherMarks(),
                       "failing " + places.target.File("fix.PAT") + " " + places.target.File("old.bin") + "\r\n");
             EXPECT_FALSE(update.Reported(946)) << "a failed patch is not reported";
         }},
        {"a patch program in the current folder only is not run", kPatchFile,
         [](RecordingUpdate& update, RunPlaces& places) {
             update.ApplyPatch = true;
             places.PlaceProbe("steady", "patcher.exe");
             places.target.Write("old.bin", "old");
         },
         {{"/files/fix.PAT", "patch"}},
         {"GET /app1h.inf", "GET /files/fix.PAT"},
         {943, 915, 948},
         {"old.bin"},
         [](RunPlaces& places, const RecordingUpdate&) { EXPECT_EQ(places.Marks(), std::vector<std::string>{}); }},
        {"post-update info sent", kOneFile,
         [](RecordingUpdate& update, RunPlaces& places) {
             update.PostUpdateInfo = {.Server = places.server.Url("").substr(7),
                                      .Action = "/asp/autoupdate.asp",
                                      .Data = "verze=1.0&jmeno=%C5%BEluva",
                                      .Enabled = true};
             update.OnProcessPostResult = [&places](TAutoUpdate&, bool& allow) {
                 places.events.push_back(allow ? "post result: allowed" : "post result: refused");
             };
         },
         {{"/files/data.txt", kPayload}, {"/asp/autoupdate.asp", "p\xC5\x99ijato"}},
         {"GET /app1h.inf", "GET /files/data.txt", "POST /asp/autoupdate.asp"},
         {915, 948, 949},
         {"data.txt"},
         [](RunPlaces& places, const RecordingUpdate& update) {
             const RecordedRequest post = places.server.LastRequest();
             EXPECT_EQ(post.Body, "verze=1.0&jmeno=%C5%BEluva");
             EXPECT_EQ(post.Header("Content-Type"), "application/x-www-form-urlencoded");
             EXPECT_EQ(update.PostUpdateInfo.PostReply, "p\xC5\x99ijato");
             EXPECT_EQ(places.events, std::vector<std::string>{"post result: allowed"});
             EXPECT_FALSE(update.Reported(951) || update.Reported(952));
         }},
        {"post to a server without a host name", kOneFile,
         [](RecordingUpdate& update, RunPlaces&) {
             update.PostUpdateInfo = {.Server = ":80", .Action = "/asp/autoupdate.asp", .Enabled = true};
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {915, 951, 948, 949},
         {"data.txt"}},
        {"restart without an updater program",
         "[application]\r\nappupdate=1\r\nappname={APP}\\app.exe --tray\r\nappcomps=TARGETdata.txt\r\n"
         "silentrestart=1\r\n" +
             kOneFile,
         [](RecordingUpdate& update, RunPlaces& places) {
             update.OnAppDoClose = [&places](TAutoUpdate&) { places.events.push_back("close"); };
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {948, 949, 950},
         {"data.txt"},
         [](RunPlaces& places, const RecordingUpdate& update) {
             // The test program carries no updater resource: nothing can be started.
             ASSERT_EQ(update.statuses.back().id, 950);
             EXPECT_EQ(update.statuses.back().errcode, ERROR_FILE_NOT_FOUND);
             EXPECT_TRUE(places.events.empty()) << "the application stays, to try again at its next start";
         }},
        {"the application's own step gets the [custom] values",
         "[custom]\r\nprocessmsg=zpráva\r\nprocessparam=42\r\n" + kOneFile,
         [](RecordingUpdate& update, RunPlaces& places) {
             update.OnCustomProcess = [&places](TAutoUpdate&, const std::string& msg, const std::string& param) {
                 places.events.push_back(msg + " " + param);
             };
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {926, 943, 948},
         {"data.txt"},
         [](RunPlaces& places, const RecordingUpdate&) {
             EXPECT_EQ(places.events, std::vector<std::string>{"zpráva 42"});
         }},
        {"a file that fails cancels the restart",
         "[application]\r\nappupdate=1\r\nappname={APP}\\app.exe --tray\r\nappcomps=TARGETdata.txt\r\n"
         "silentrestart=1\r\n[files]\r\ncount=2\r\n[file1]\r\nurl=SERVER/files/data.txt\r\ntargetdir=TARGET\r\n"
         "[file2]\r\nurl=SERVER/files/gone.txt\r\ntargetdir=TARGET\r\n",
         [](RecordingUpdate& update, RunPlaces& places) {
             update.OnAppDoClose = [&places](TAutoUpdate&) { places.events.push_back("close"); };
         },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt", "GET /files/gone.txt"},
         {946, 949},
         {"data.txt"},
         [](RunPlaces& places, const RecordingUpdate& update) {
             EXPECT_FALSE(update.Reported(950)) << "no updater is asked for";
             EXPECT_TRUE(places.events.empty());
         }},
        // The file served is this very program, as new as the copy in place (which carries a
        // few bytes more): the copy in place is kept without a word, neither refused as older
        // nor as a failure.
        {"a file of the same version is left quietly",
         "[files]\r\ncount=1\r\n[file1]\r\nurl=SERVER/files/same.exe\r\ntargetdir=TARGET\r\n",
         [](RecordingUpdate&, RunPlaces& places) { places.target.Write("same.exe", OwnProgram() + "installed"); },
         {{"/files/same.exe", OwnProgram()}},
         {"GET /app1h.inf", "GET /files/same.exe"},
         {915, 949},
         {"same.exe"},
         [](RunPlaces& places, const RecordingUpdate& update) {
             EXPECT_TRUE(places.target.Read("same.exe") == OwnProgram() + "installed") << "put in place";
             EXPECT_FALSE(update.Reported(958));
             EXPECT_FALSE(update.Reported(946));
         }},
        {"the control file's signature value checked", "signature=Jiná\r\n" + kOneFile,
         [](RecordingUpdate& update, RunPlaces&) { update.SignatureCheck = true; },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf"},
         {926, 927, 949},
         {}},
        {"the control file's signature value matches", "signature=AutoUpdate\r\n" + kOneFile,
         [](RecordingUpdate& update, RunPlaces&) { update.SignatureCheck = true; },
         {{"/files/data.txt", kPayload}},
         {"GET /app1h.inf", "GET /files/data.txt"},
         {926, 943, 948},
         {"data.txt"}},
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunPlaces places;
        std::string control = "[update]\r\ndate=02/01/2020\r\ntime=10:30\r\n" + places.Filled(c.control);
        std::map<std::string, std::string> served = c.served;
        for (const char* address : {"/app1h.inf", "/moved/app1h.inf", "/next/app1h.inf"})
            served[address] = served[kProxied + address] = control;
        places.Serve(served, c.challenge);
        for (int run = 0; run < c.runs; ++run) {
            RecordingUpdate update;
            update.SetUpSilentHttpRun(places.server.Url("/app1h.inf"), places.target.Path());
            update.Logging = true;
            c.configure(update, places);
            update.RunUpdate();
            if (run == c.runs - 1)
                c.check(places, update);
        }
        EXPECT_EQ(places.Requests(), c.expectedRequests);
        EXPECT_TRUE(InOrderWithin(c.expectedLogged, places.LoggedIds()))
            << places.work.Read("AUPDATE.LOG").value_or("no log");
        EXPECT_EQ(places.target.Files(), c.expectedTargetFiles);
    }
}
