#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>

#include "AppPath.h"
#include "CheckTime.h"
#include "PendingSerialRule.h"
#include "Registry.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSigner.h"
#include "UpdateTestSupport.h"

namespace {

enum class Signature { Valid, BySecondKey, OneByteChanged, Missing, Oversized };

struct RunCase {
    const char* name;
    std::string updateDate;
    int fileCount;
    Signature signature;
    bool connected;
    bool controlFileServed;
    std::vector<std::string> expectedFileRequests;
    int expectedStatus;  // reported in the run
    bool expectedSuccess;
    TUpdateRunOutcome expectedOutcome;
};

// A control file listing three files: one to take, one the list handler blanks, and one
// dated entry whose local file is missing (so it counts as older) served with other bytes
// than its digest names.
std::string ControlFile(const ScriptedHttpServer& server, const ScratchFolder& target, const RunCase& c)
{
    std::string text = "[update]\r\nserial=1\r\nexpires=2099-12-31\r\ndate=" + c.updateDate +
                       "\r\n[files]\r\ncount=" + std::to_string(c.fileCount) + "\r\n";
    const std::string entries[][3] = {
        {"data.txt", "data", kPayloadSha256},
        {"blanked.txt", "blanked", kPayloadSha256},
        {"dated.txt", "dated", kOtherSha256},
    };
    for (int n = 1; n <= 3; ++n) {
        const auto& [name, description, digest] = entries[n - 1];
        text += "[file" + std::to_string(n) + "]\r\nurl=" + server.Url("/files/" + name) +
                "\r\ntargetdir=" + target.Path() + "\r\ndescr=" + description + "\r\nsha256=" + digest + "\r\n";
        if (n == 3)
            text += "date=01/01/2020\r\ntime=10:00\r\nlocalversion=" + target.File("missing.txt") + "\r\n";
    }
    return text;
}

// The files by their address; any other address is not found.
void ServeFiles(ScriptedHttpServer& server, const std::map<std::string, std::string>& files)
{
    server.SetHandler([&files](const RecordedRequest& request) { return ServedOrNotFound(files, request.Target); });
}

// A silent run over HTTP of the server's signed control file, with its files kept in target.
void SetUpSilentSignedRun(RecordingUpdate& update, const ScriptedHttpServer& server, const ScratchFolder& target)
{
    update.SetUpSilentHttpRun(server.Url("/app1h.inf"), target.Path());
    update.PublicKeys = BuiltInUpdatePublicKeys();
}

} // namespace

// Whole runs against a loopback server: a signed control file is taken and its files
// checked against their digests; every way out of the run closes it. Two keys are trusted,
// as while the signing key changes: either one's signature counts.
TEST(UpdateRun, EachWayThroughTheRun)
{
    const TestSigner secondKey = TestSigner::Generated();
    const RunCase cases[] = {
        {"signed", "02/01/2020", 3, Signature::Valid, true, true, {"/files/data.txt", "/files/dated.txt"}, 946, true,
         TUpdateRunOutcome::Failed},
        {"signed with the second key", "02/01/2020", 3, Signature::BySecondKey, true, true,
         {"/files/data.txt", "/files/dated.txt"}, 946, true, TUpdateRunOutcome::Failed},
        {"changed byte", "02/01/2020", 3, Signature::OneByteChanged, true, true, {}, 927, false,
         TUpdateRunOutcome::Failed},
        {"no signature", "02/01/2020", 3, Signature::Missing, true, true, {}, 927, false, TUpdateRunOutcome::Failed},
        {"signature file too large", "02/01/2020", 3, Signature::Oversized, true, true, {}, 927, false,
         TUpdateRunOutcome::Failed},
        {"no control file", "02/01/2020", 3, Signature::Valid, true, false, {}, 925, false, TUpdateRunOutcome::Failed},
        {"date tie", "01/01/1980", 3, Signature::Valid, true, true, {}, 930, false, TUpdateRunOutcome::NothingNew},
        {"no files", "02/01/2020", 0, Signature::Valid, true, true, {}, 929, false, TUpdateRunOutcome::NothingNew},
        {"no connection", "02/01/2020", 3, Signature::Valid, false, true, {}, 918, false, TUpdateRunOutcome::Failed},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        ScratchFolder target;
        target.Write("dated.txt", "old");
        const std::string control = ControlFile(server, target, c);
        std::string served = control;
        if (c.signature == Signature::OneByteChanged)
            served[served.find("count=3")] = 'C';
        std::map<std::string, std::string> files = {{"/files/data.txt", kPayload},
                                                    {"/files/blanked.txt", kPayload},
                                                    {"/files/dated.txt", kPayload}};
        if (c.controlFileServed)
            files["/app1h.inf"] = served;
        if (c.signature != Signature::Missing)
            files["/app1h.inf.sig"] =
                c.signature == Signature::BySecondKey ? secondKey.Sign(control) : SignControlFile(control);
        if (c.signature == Signature::Oversized)
            files["/app1h.inf.sig"] += "\r\n" + std::string(5000, ' ');
        ServeFiles(server, files);

        RecordingUpdate update;
        SetUpSilentSignedRun(update, server, target);
        update.PublicKeys.push_back(secondKey.PublicKey());
        update.ConnectionFunctions.IsConnected = [&] { return c.connected; };
        update.OnGetFileList = [](TAutoUpdate&, TStringList& list) {
            TStringList kept;
            for (const std::string& line : list.Lines())
                kept.Add(line == "blanked" ? "" : line);
            list = kept;
        };
        bool succeeded = false;
        update.OnSuccess = [&](TAutoUpdate&) { succeeded = true; };
        update.RunUpdate();

        std::vector<std::string> fileRequests;
        for (const RecordedRequest& request : server.Requests())
            if (request.Target.rfind("/files/", 0) == 0)
                fileRequests.push_back(request.Target);
        EXPECT_EQ(fileRequests, c.expectedFileRequests);
        EXPECT_TRUE(update.Reported(c.expectedStatus));
        EXPECT_EQ(succeeded, c.expectedSuccess);
        EXPECT_EQ(update.LastRun().Outcome, c.expectedOutcome);
        EXPECT_EQ(target.Read("data.txt"), c.expectedSuccess ? std::optional(kPayload) : std::nullopt);
        EXPECT_EQ(target.Read("dated.txt"), "old");
        EXPECT_FALSE(update.Reported(917));
        // The run ended closed, with nothing left behind, unless it never opened.
        if (c.connected)
            EXPECT_EQ(update.Ids().back(), 949);
        else
            EXPECT_EQ(update.Ids(), std::vector<int>{918});
        EXPECT_EQ(target.Files(), c.expectedSuccess ? (std::vector<std::string>{"data.txt", "dated.txt"})
                                                    : std::vector<std::string>{"dated.txt"});
    }
}

// A user who cannot write the program's folder cannot have its files replaced: an entry
// aimed there is refused before its transfer, the others are still taken.
TEST(UpdateRun, ReadOnlyProgramFolderRefusesItsEntries)
{
    ScriptedHttpServer server;
    ScratchFolder target;
    const std::string programFolder = Narrow(GetAppPath());
    const std::string control = "[update]\r\nserial=1\r\nexpires=2099-12-31\r\ndate=02/01/2020\r\n"
                                "[files]\r\ncount=2\r\n[file1]\r\nurl=" +
                                server.Url("/files/program.txt") + "\r\ntargetdir=" + programFolder +
                                "\r\nsha256=" + kPayloadSha256 + "\r\n[file2]\r\nurl=" + server.Url("/files/data.txt") +
                                "\r\ntargetdir=" + target.Path() + "\r\nsha256=" + kPayloadSha256 + "\r\n";
    const std::map<std::string, std::string> files = {
        {"/app1h.inf", control}, {"/app1h.inf.sig", SignControlFile(control)}, {"/files/data.txt", kPayload}};
    ServeFiles(server, files);
    RecordingUpdate update;
    SetUpSilentSignedRun(update, server, target);
    update.ProgramFolderWritable = false;
    update.RunUpdate();

    for (const RecordedRequest& request : server.Requests())
        EXPECT_NE(request.Target, "/files/program.txt");
    EXPECT_TRUE(std::any_of(update.statuses.begin(), update.statuses.end(), [&](const auto& status) {
        return status.id == 946 && status.param == server.Url("/files/program.txt");
    }));
    EXPECT_EQ(target.Read("data.txt"), kPayload);
}

// With 5 carried out, the serial alone decides: a missing or lower one is refused, the same
// one is nothing new, a higher one is carried out and then is the last one. It counts as
// carried out only once nothing of it is left to do: not when a file failed, nor while the
// program's files wait for the updater. One pending, its files waiting, is a bar for lower
// ones; itself it is tried again, and a higher one takes its place. An updater that cannot be
// started leaves the program running and nothing pending or counted: every start tries again.
// A file past its expiry, or without one, is refused before anything else; a stored serial
// that is not a number is told and counts as absent; the build's floor above the stored
// serial holds.
TEST(UpdateRun, TheSerialDecidesWhetherASignedControlFileIsNew)
{
    struct SerialCase {
        const char* serialLine;
        int expectedStatus;
        bool fetched;
        std::string lastAfter;
        bool requested; // the file
        std::string digest = kPayloadSha256;
        std::string application; // an [application] section, TARGET put in
        std::string expires = "2099-12-31";
        std::string stored = "5";
        unsigned long long floor = 0; // the build's
        std::string pendingAfter;
        std::string pending; // before the run, its file waiting for the updater
        int runs = 1;        // each one reporting the status
        std::string file = "data.txt";
    };
    const SerialCase cases[] = {
        {"", 956, false, "5", false},
        {"serial=4\r\n", 956, false, "5", false},
        {"serial=7x\r\n", 956, false, "5", false},
        {"serial=5\r\n", 930, false, "5", false},
        {"serial=6\r\n", 948, true, "6", true},
        {"serial=6\r\n", 946, false, "5", true, kOtherSha256},
        {"serial=6\r\n", 946, false, "5", false, ""}, // a signed entry needs its digest
        // The test program carries no updater to start: more starts than hand-overs allowed.
        {.serialLine = "serial=6\r\n", .expectedStatus = 950, .fetched = true, .lastAfter = "5", .requested = true,
         .application = "[application]\r\nappupdate=1\r\nappname={APP}\\app.exe\r\nappcomps=TARGETdata.txt_NEW\r\n"
                        "silentrestart=1\r\n",
         .runs = int(kMostHandOvers) + 1, .file = "data.txt_NEW"},
        {.serialLine = "serial=7\r\n", .expectedStatus = 956, .fetched = false, .lastAfter = "5", .requested = false,
         .pendingAfter = "8", .pending = "8"},
        {.serialLine = "serial=8\r\n", .expectedStatus = 948, .fetched = true, .lastAfter = "8", .requested = true,
         .pendingAfter = "8", .pending = "8"},
        {.serialLine = "serial=9\r\n", .expectedStatus = 948, .fetched = true, .lastAfter = "9", .requested = true,
         .pendingAfter = "8", .pending = "8"},
        {"serial=6\r\n", 961, false, "5", false, kPayloadSha256, "", "2020-01-31"},
        {"serial=6\r\n", 961, false, "5", false, kPayloadSha256, "", ""},
        {"serial=2\r\n", 962, true, "2", true, kPayloadSha256, "", "2099-12-31", "five"},
        {"serial=6\r\n", 956, false, "5", false, kPayloadSha256, "", "2099-12-31", "5", 7},
    };
    const std::string registryPath = "Software\\Soriel online tests\\UpdateRun";
    for (const SerialCase& c : cases) {
        SCOPED_TRACE(std::string(c.serialLine) + c.application + c.expires + c.stored + std::to_string(c.floor));
        ScriptedHttpServer server;
        ScratchFolder target;
        TRegistryKey::OpenOrCreateUserKey(registryPath).WriteString("LastSerial", c.stored);
        TRegistryKey::OpenOrCreateUserKey(registryPath).WriteString("PendingSerial", c.pending);
        TRegistryKey::OpenOrCreateUserKey(registryPath)
            .WriteString("PendingFiles", c.pending.empty() ? "" : kOtherSha256 + " " + target.File("waiting.exe_NEW"));
        TRegistryKey::OpenOrCreateUserKey(registryPath).WriteString("PendingHandOvers", c.pending.empty() ? "" : "1");
        if (!c.pending.empty())
            target.Write("waiting.exe_NEW", "waiting");
        std::string application = c.application;
        if (const size_t at = application.find("TARGET"); at != std::string::npos)
            application.replace(at, 6, target.Path());
        const std::string control = "[update]\r\n" + std::string(c.serialLine) +
                                    (c.expires.empty() ? "" : "expires=" + c.expires + "\r\n") +
                                    "unconditional=1\r\n" + application +
                                    "[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url("/files/" + c.file) +
                                    "\r\ntargetdir=" + target.Path() + "\r\n" +
                                    (c.digest.empty() ? "" : "sha256=" + c.digest + "\r\n");
        const std::map<std::string, std::string> files = {
            {"/app1h.inf", control}, {"/app1h.inf.sig", SignControlFile(control)}, {"/files/" + c.file, kPayload}};
        ServeFiles(server, files);
        std::unique_ptr<RecordingUpdate> update;
        int closes = 0;
        for (int run = 1; run <= c.runs; ++run) {
            update = std::make_unique<RecordingUpdate>();
            SetUpSilentSignedRun(*update, server, target);
            update->LastURLEntry = {.Save = true, .Key = "Software\\Soriel online tests", .Section = "UpdateRun"};
            update->SerialFloor = c.floor;
            update->OnAppDoClose = [&closes](TAutoUpdate&) { ++closes; };
            update->RunUpdate();
            EXPECT_TRUE(update->Reported(c.expectedStatus)) << "run " << run;
        }
        EXPECT_EQ(closes, 0);
        if (c.expectedStatus == 961) {
            SYSTEMTIME now;
            GetSystemTime(&now);
            char today[16];
            std::snprintf(today, sizeof today, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
            const std::string expected =
                "expires " + (c.expires.empty() ? "(none)" : c.expires) + ", today " + today + " (UTC)";
            EXPECT_TRUE(std::any_of(update->statuses.begin(), update->statuses.end(),
                                    [&](const auto& status) { return status.id == 961 && status.param == expected; }))
                << expected;
        }
        EXPECT_EQ(target.Read(c.file).has_value(), c.fetched);
        const auto requests = server.Requests();
        EXPECT_EQ(std::any_of(requests.begin(), requests.end(),
                              [&](const RecordedRequest& request) { return request.Target == "/files/" + c.file; }),
                  c.requested);
        EXPECT_EQ(TRegistryKey::OpenOrCreateUserKey(registryPath).ReadString("LastSerial"), c.lastAfter);
        EXPECT_EQ(TRegistryKey::OpenOrCreateUserKey(registryPath).ReadString("PendingSerial").value_or(""),
                  c.pendingAfter);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");
}

// A check while the program runs judges the control file by every rule of a run and carries
// out nothing: no file, no serial. It finds an update only for the program (appupdate=1),
// newer than main.exe when a version is named, and tells whether it asks anything of the
// person. An answered check, and only one, keeps its time beside the serial.
TEST(UpdateRun, ACheckWhileRunningJudgesAndCarriesOutNothing)
{
    struct CheckCase {
        const char* name;
        std::string update = "unconditional=1\r\n";
        std::string extra; // further sections
        std::string application = "appupdate=1\r\nappname={APP}\\app.exe\r\nsilentrestart=1\r\n";
        bool answered = true;
        TUpdateRunOutcome outcome = TUpdateRunOutcome::Found;
        bool asksNothing = true;
        bool served = true;
        bool signatureBroken = false;
        std::string serial = "6"; // 5 carried out
        std::string expires = "2099-12-31";
    };
    using enum TUpdateRunOutcome;
    const CheckCase cases[] = {
        {.name = "asks nothing"},
        {.name = "asks for the restart",
         .application = "appupdate=1\r\nappname={APP}\\app.exe\r\n",
         .asksNothing = false},
        {.name = "a what's-new text", .extra = "[whatsnew]\r\nfile=https://127.0.0.1/n.txt\r\n", .asksNothing = false},
        {.name = "a question", .extra = "[action]\r\nquery=Ano?\r\n", .asksNothing = false},
        {.name = "an address to open", .extra = "[action]\r\nshowURL=https://127.0.0.1/\r\n", .asksNothing = false},
        {.name = "newer than main.exe", .update = "unconditional=1\r\nnewversion=99.0.0.0\r\n"},
        {.name = "older than main.exe", .update = "unconditional=1\r\nnewversion=1.0.0.0\r\n", .outcome = NothingNew},
        {.name = "not the program", .application = "appupdate=0\r\nappname={APP}\\app.exe\r\n", .outcome = NothingNew},
        {.name = "the [update] section finds nothing", .update = "date=01/01/1980\r\n", .outcome = NothingNew},
        {.name = "the serial carried out already", .outcome = NothingNew, .serial = "5"},
        {.name = "expired", .outcome = Failed, .expires = "2020-01-31"},
        {.name = "a changed byte", .outcome = Failed, .signatureBroken = true},
        {.name = "no control file", .answered = false, .outcome = Failed, .served = false},
    };
    const std::string registryPath = "Software\\Soriel online tests\\UpdateRun";
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        TRegistryKey::OpenOrCreateUserKey(registryPath).WriteString("LastSerial", "5");
        TRegistryKey::OpenOrCreateUserKey(registryPath).WriteString("LastCheck", "");
        ScriptedHttpServer server;
        ScratchFolder target;
        const std::string control = "[update]\r\nserial=" + c.serial + "\r\nexpires=" + c.expires +
                                    "\r\ndescr=Oprava chyb\r\n" + c.update + "[application]\r\n" + c.application +
                                    c.extra + "[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url("/files/data.txt") +
                                    "\r\ntargetdir=" + target.Path() + "\r\nsha256=" + kPayloadSha256 + "\r\n";
        std::string served = control;
        if (c.signatureBroken)
            served[served.find("count=1")] = 'C';
        std::map<std::string, std::string> files = {{"/app1h.inf.sig", SignControlFile(control)},
                                                    {"/files/data.txt", kPayload}};
        if (c.served)
            files["/app1h.inf"] = served;
        ServeFiles(server, files);
        RecordingUpdate update;
        SetUpSilentSignedRun(update, server, target);
        update.LastURLEntry = {.Save = true, .Key = "Software\\Soriel online tests", .Section = "UpdateRun"};
        const int64_t before = int64_t(std::time(nullptr));
        const TUpdateRunResult result = update.CheckForUpdate();
        const int64_t after = int64_t(std::time(nullptr));

        EXPECT_EQ(result.Answered, c.answered);
        EXPECT_EQ(result.Outcome, c.outcome);
        if (c.outcome == Found) {
            EXPECT_EQ(result.AsksNothing, c.asksNothing);
            EXPECT_EQ(result.Description, "Oprava chyb");
        }
        for (const RecordedRequest& request : server.Requests())
            EXPECT_EQ(request.Target.find("/files/"), std::string::npos) << request.Target;
        EXPECT_EQ(target.Files(), std::vector<std::string>{});
        EXPECT_EQ(TRegistryKey::OpenOrCreateUserKey(registryPath).ReadString("LastSerial"), "5");
        const std::optional<int64_t> kept = update.LastAnsweredCheck();
        EXPECT_EQ(kept.has_value(), c.answered);
        if (kept) {
            EXPECT_GE(*kept, before);
            EXPECT_LE(*kept, after);
            EXPECT_EQ(TRegistryKey::OpenOrCreateUserKey(registryPath).ReadString("LastCheck"), CheckTimeText(*kept));
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");
}

// Runs repeat while the program runs, and each starts afresh: a run that did not dial does not
// hang up the connection an earlier one dialled, and a run without a date does not store the
// date of an earlier one that ended before its files.
TEST(UpdateRun, EachRunStartsFresh)
{
    const std::string registryPath = "Software\\Soriel online tests\\UpdateRun";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");
    ScriptedHttpServer server;
    ScratchFolder target;
    const std::string dated = "[update]\r\ndate=02/01/2020\r\n[files]\r\ncount=0\r\n";
    const std::string undated = "[update]\r\nunconditional=1\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" +
                                server.Url("/files/data.txt") + "\r\ntargetdir=" + target.Path() + "\r\n";
    std::map<std::string, std::string> files = {{"/app1h.inf", dated}, {"/files/data.txt", kPayload}};
    ServeFiles(server, files);
    RecordingUpdate update;
    update.SetUpSilentHttpRun(server.Url("/app1h.inf"), target.Path());
    update.LastURLEntry = {.Save = true, .Key = "Software\\Soriel online tests", .Section = "UpdateRun"};
    update.UpdateConnect = TAutoUpdateConnect::aucConnectSilentHangup;
    bool connected = false;
    int hangUps = 0;
    update.ConnectionFunctions.IsConnected = [&] { return connected; };
    update.ConnectionFunctions.HangUp = [&] {
        ++hangUps;
        return true;
    };
    update.RunUpdate();
    EXPECT_EQ(hangUps, 1);
    EXPECT_EQ(update.LastRun().Outcome, TUpdateRunOutcome::NothingNew);

    connected = true;
    files["/app1h.inf"] = undated;
    update.RunUpdate();
    EXPECT_EQ(update.LastRun().Outcome, TUpdateRunOutcome::Completed);
    EXPECT_EQ(target.Read("data.txt"), kPayload);
    EXPECT_EQ(hangUps, 1) << "the second run hung up a connection it had not dialled";
    EXPECT_EQ(TRegistryKey::OpenOrCreateUserKey(registryPath).ReadString("LastDate"), std::nullopt)
        << "the second run stored the first one's date";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");
}
