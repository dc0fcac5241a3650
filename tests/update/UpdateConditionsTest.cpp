#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "Text.h"
#include "UpdateRunPlaces.h"

// The conditions of [update] and the handlers of a run, in whole runs against a loopback
// server, and the wait for a started program.
namespace {

const std::string kOneFile = "[files]\r\ncount=1\r\n[file1]\r\nurl=SERVER/files/data.txt\r\ntargetdir=TARGET\r\n";

std::string OwnPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Narrow(path);
}

struct ConditionCase {
    const char* name;
    std::string update; // the keys of [update]; SELF is this program, with file version 1.2.3.4
    bool useCrc32;
    TAutoUpdateVersionCheck versionCheck;
    std::vector<int> expectedStatuses; // between 926 (control file found) and the end
    bool expectedUpdate;               // the listed file was fetched
};

} // namespace

// The local file holds "abc": byte sum 0x125 = 293, CRC variant 0x6C8D9D41 = 1821220161
// (worked out in Python from the rules as written, see UpdateChecksTest).
TEST(UpdateConditions, VersionSizeAndChecksumOfUpdateDecideTheRun)
{
    constexpr auto only = TAutoUpdateVersionCheck::vcUpdateOnly, always = TAutoUpdateVersionCheck::vcAlways;
    const ConditionCase cases[] = {
        {"byte sum equal", "newversion=2.0.0.0\r\nnewchecksum=293\r\nlocalversion=TARGETlocal.bin", false, only,
         {931, 930}, false},
        {"byte sum differs", "newversion=2.0.0.0\r\nnewchecksum=294\r\nlocalversion=TARGETlocal.bin", false, only,
         {931, 929, 943}, true},
        {"CRC equal", "newversion=2.0.0.0\r\nnewchecksum=1821220161\r\nlocalversion=TARGETlocal.bin", true, only,
         {931, 930}, false},
        {"CRC against a byte sum", "newversion=2.0.0.0\r\nnewchecksum=293\r\nlocalversion=TARGETlocal.bin", true,
         only, {931, 929, 943}, true},
        {"byte sum of a missing file", "newversion=2.0.0.0\r\nnewchecksum=0\r\nlocalversion=TARGETgone.bin", false,
         only, {931, 929, 943}, true},
        {"CRC of a missing file", "newversion=2.0.0.0\r\nnewchecksum=0\r\nlocalversion=TARGETgone.bin", true, only,
         {931, 930}, false},
        {"size equal", "newversion=2.0.0.0\r\nnewsize=3\r\nlocalversion=TARGETlocal.bin", false, only, {932, 930},
         false},
        {"size differs", "newversion=2.0.0.0\r\nnewsize=4\r\nlocalversion=TARGETlocal.bin", false, only,
         {932, 929, 943}, true},
        {"size of a missing file, always", "newversion=2.0.0.0\r\nnewsize=4\r\nlocalversion=TARGETgone.bin", false,
         always, {932, 929, 943}, true},
        {"newer version", "newversion=1.2.3.5\r\nlocalversion=SELF", false, only, {933, 929, 943}, true},
        {"equal version written with commas", "newversion=1,2,3,4\r\nlocalversion=SELF", false, only, {933, 930},
         false},
        {"three-part version", "newversion=1.2.4\r\nlocalversion=SELF", false, only, {933, 930}, false},
        {"file without version, always", "newversion=1.0.0.0\r\nlocalversion=TARGETlocal.bin", false, always,
         {933, 929, 943}, true},
        {"no local file: found, yet no update", "newversion=9.0.0.0", false, only, {929}, false},
        {"the date decides first", "date=02/01/2020\r\nnewversion=0.0.0.1\r\nlocalversion=SELF", false, only,
         {928, 929, 943}, true},
    };
    for (const ConditionCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunPlaces places;
        places.target.Write("local.bin", "abc");
        std::string section = c.update;
        if (size_t at = section.find("SELF"); at != std::string::npos)
            section.replace(at, 4, OwnPath());
        places.Serve({{"/app1h.inf", places.Filled("[update]\r\n" + section + "\r\n" + kOneFile)},
                      {"/files/data.txt", kPayload}});
        RecordingUpdate update;
        update.SetUpSilentHttpRun(places.server.Url("/app1h.inf"), places.target.Path());
        update.UseCRC32 = c.useCrc32;
        update.VersionCheck = c.versionCheck;
        update.RunUpdate();

        const std::vector<int> ids = update.Ids();
        const auto found = std::find(ids.begin(), ids.end(), 926);
        std::vector<int> decisions;
        for (auto at = found; at != ids.end(); ++at)
            if (*at >= 928 && *at <= 943)
                decisions.push_back(*at);
        EXPECT_EQ(decisions, c.expectedStatuses);
        EXPECT_EQ(places.Requests(), c.expectedUpdate
                                         ? (std::vector<std::string>{"GET /app1h.inf", "GET /files/data.txt"})
                                         : std::vector<std::string>{"GET /app1h.inf"});
        EXPECT_EQ(places.target.Read("data.txt"), c.expectedUpdate ? std::optional(kPayload) : std::nullopt);
    }
}

// Every handler a run raises, in its place, each with a visible effect: a prefix of the
// handler's own, changed parameters, a validation that overrides a date tie, a custom
// version that drops a file, an address changed before its download, the post's result, and
// the close after a restart (whose updater cannot start here: the test carries none).
TEST(UpdateConditions, HandlersInTheOrderOfTheRun)
{
    RunPlaces places;
    const std::string control = "[update]\r\ndate=01/01/1980\r\n"
                                "[application]\r\nappupdate=1\r\nappname={APP}\\app.exe --old\r\n"
                                "appcomps=TARGETdata.txt\r\nsilentrestart=1\r\n"
                                "[custom]\r\nvalidatemsg=zpr\xC3\xA1va\r\nvalidateparam=parametr\r\n"
                                "[files]\r\ncount=2\r\n"
                                "[file1]\r\nurl={MIRROR}/files/data.txt\r\ntargetdir=TARGET\r\ndescr=data\r\n"
                                "[file2]\r\nurl=SERVER/files/other.txt\r\ntargetdir=TARGET\r\ncustomversion=2.0\r\n";
    places.Serve({{"/app1h.inf", places.Filled(control)},
                  {"/mirror/data.txt", kPayload},
                  {"/files/other.txt", kPayload},
                  {"/post", "ok"}});
    RecordingUpdate update;
    update.SetUpSilentHttpRun(places.server.Url("/app1h.inf"), places.target.Path());
    update.PostUpdateInfo = {.Server = places.server.Url("").substr(7), .Action = "/post", .Enabled = true};
    auto& events = places.events;
    update.OnConvertPrefix = [&](TAutoUpdate&, std::string& path) {
        if (path.rfind("{MIRROR}", 0) == 0) {
            events.push_back("convert " + path);
            path.replace(0, 8, places.server.Url(""));
        }
    };
    update.OnSetAppParams = [&](TAutoUpdate&, std::string& parameters) {
        events.push_back("parameters " + parameters);
        parameters = "--new";
    };
    update.OnCustomValidate = [&](TAutoUpdate&, const std::string& msg, const std::string& param, bool& allow) {
        events.push_back("validate " + msg + " " + param + (allow ? " allowed" : " refused"));
    };
    update.OnFileVersionCheck = [&](TAutoUpdate&, const std::string& newVersion, const std::string&, bool& isNew) {
        events.push_back("version " + newVersion);
        isNew = false;
    };
    update.OnBeforeFileDownload = [&](TAutoUpdate&, int index, const std::string& description, std::string& url) {
        events.push_back("before " + std::to_string(index) + " " + description + " " + url);
        url = places.server.Url("/mirror/data.txt");
    };
    update.OnProcessPostResult = [&](TAutoUpdate&, bool& allow) { events.push_back(allow ? "post" : "no post"); };
    update.OnSuccess = [&](TAutoUpdate&) { events.push_back("success"); };
    update.OnAppRestart = [&](TAutoUpdate&, bool& allow) { events.push_back(allow ? "restart" : "no restart"); };
    update.OnAppDoClose = [&](TAutoUpdate&) { events.push_back("close"); };
    std::vector<std::string> statuses;
    update.OnStatus = [&](TAutoUpdate&, const std::string& text, int statuscode, int errcode) {
        statuses.push_back(text + " (" + std::to_string(statuscode) + "/" + std::to_string(errcode) + ")");
    };
    update.RunUpdate();

    EXPECT_EQ(events, (std::vector<std::string>{"parameters --old", "validate zpr\xC3\xA1va parametr allowed",
                                                "convert {MIRROR}/files/data.txt", "version 2.0",
                                                "before 1 data " + places.server.Url("/files/data.txt"), "post", "success",
                                                "restart"}));
    EXPECT_EQ(places.Requests(),
              (std::vector<std::string>{"GET /app1h.inf", "GET /mirror/data.txt", "POST /post"}));
    EXPECT_EQ(places.target.Files(), std::vector<std::string>{"data.txt"});
    ASSERT_EQ(statuses.size(), update.statuses.size()) << "every status reaches the handler";
    EXPECT_EQ(statuses[0], "Checking for Internet connection (3/0)");
    EXPECT_EQ(statuses[2], "Download : " + places.server.Url("/app1h.inf") + " (3/0)");
    EXPECT_EQ(statuses.back().rfind("Failed to spawn updater process : ", 0), 0u) << statuses.back();
}

// A handler that refuses the validation cancels a date-based update.
TEST(UpdateConditions, RefusedValidationCancelsAnUpdate)
{
    RunPlaces places;
    places.Serve({{"/app1h.inf", places.Filled("[update]\r\ndate=02/01/2020\r\n" + kOneFile)},
                  {"/files/data.txt", kPayload}});
    RecordingUpdate update;
    update.UpdateType = TAutoUpdateType::httpUpdate;
    update.URL = places.server.Url("/app1h.inf");
    update.OnCustomValidate = [](TAutoUpdate&, const std::string&, const std::string&, bool& allow) { allow = false; };
    update.RunUpdate();
    EXPECT_TRUE(update.Reported(929));
    EXPECT_EQ(places.Requests(), std::vector<std::string>{"GET /app1h.inf"});
}

// A started program is waited for; its exit code other than 0 becomes 8192 + the code.
TEST(UpdateConditions, RunAndWaitTakesTheExitCode)
{
    RunPlaces places;
    places.PlaceProbe("steady", "steady.exe");
    places.PlaceProbe("failing", "failing.exe");
    struct Case {
        std::string command;
        bool expected;
        DWORD expectedError;
    } cases[] = {
        {places.work.File("steady.exe") + " one", true, 0},
        {places.work.File("failing.exe") + " two", false, 8192 + 3},
        {places.work.File("absent.exe"), false, ERROR_FILE_NOT_FOUND},
    };
    RecordingUpdate update;
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(update.RunAndWait(c.command), c.expected) << c.command;
        EXPECT_EQ(GetLastError(), c.expectedError) << c.command;
    }
    EXPECT_EQ(places.Marks(), (std::vector<std::string>{"failing two", "steady one"})) << "both had ended";
}
