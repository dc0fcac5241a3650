#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>
#include <iostream>
#include <string>

#include "AppPath.h"
#include "DetachedSignature.h"
#include "FileIO.h"
#include "ProgramUnderTest.h"
#include "Registry.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSigner.h"

// The whole self-update, for real: main.exe finds a signed control file on a loopback
// server, downloads a new main.exe beside itself, hands over to the updater and ends; the
// updater swaps the file in and starts the program again.
namespace {

const std::string kNewsLog = "{\\rtf1\\ansi\\ansicpg1250 07.12.2026 09:15\\par Zpr\\'e1va p\\'f8ed aktualizac\\'ed\\par\\par}";

std::string Built(const wchar_t* name) { return ReadWholeFile(GetAppPath() + name).value_or(""); }

// The control file offers newProgram as main.exe version 3.1.1, or by date alone: then it
// pins no version, as an earlier release's control file may not.
class UpdateServer {
public:
    explicit UpdateServer(std::string newProgram, bool byDate = false)
        : newProgram_(std::move(newProgram)), byDate_(byDate)
    {
        server_.SetHandler([this](const RecordedRequest& request) { return Answer(request); });
    }
    // Addresses for main.ini: news from nowhere, the update and the maker's post from here.
    std::string Sources() const
    {
        return "[Sources]\r\nNewsURL=http://127.0.0.1:9/index.php/zpravodajstvy\r\nUpdateURL=" +
               server_.Url("/update/upd_snh/app1h.inf") + "\r\nMakerURL=" + server_.Url("/") + "\r\n";
    }
    size_t Downloads() const { return RequestsFor(kNewProgramPath); }
    std::string ProgramUrl() const { return server_.Url(kNewProgramPath); }
    size_t ControlFileRequests() const { return RequestsFor("/update/upd_snh/app1h.inf"); }
    // main.exe_NEW served a piece at a time with a pause after each, as over a slow line.
    void ServeProgramSlowly(size_t pieceBytes, unsigned pauseMs)
    {
        trickleBytes_ = pieceBytes;
        trickleDelayMs_ = pauseMs;
    }
    static inline const std::string kProgramTag = "\"main-3.1.1\"";
    // Each request for main.exe_NEW: what it asked for, and what its reply carried.
    struct ProgramRequest {
        std::string range, ifRange;
        int status = 0;
        size_t bodyBytes = 0;
    };
    std::vector<ProgramRequest> ProgramRequests() const
    {
        const std::lock_guard lock(mutex_);
        return programRequests_;
    }

private:
    static constexpr const char* kNewProgramPath = "/update/upd_snh/main.exe_NEW";

    size_t RequestsFor(const std::string& target) const
    {
        size_t count = 0;
        for (const RecordedRequest& request : server_.Requests())
            count += request.Target == target;
        return count;
    }

    ScriptedReply Answer(const RecordedRequest& request)
    {
        const std::string& target = request.Target;
        const std::string control = ControlFile();
        if (target == "/update/upd_snh/app1h.inf")
            return {200, "OK", {}, control};
        if (target == "/update/upd_snh/app1h.inf.sig")
            return {200, "OK", {}, SignControlFile(control)};
        if (target == kNewProgramPath)
            return ProgramReply(request);
        return {404, "Not Found", {}, "none"};
    }

    // The whole file, or the rest after "Range: bytes=N-" when If-Range names this file.
    ScriptedReply ProgramReply(const RecordedRequest& request)
    {
        ScriptedReply reply{200, "OK", {"Content-Type: application/octet-stream", "ETag: " + kProgramTag}, newProgram_};
        const std::string range = request.Header("Range");
        if (range.starts_with("bytes=") && request.Header("If-Range") == kProgramTag) {
            const size_t from = std::stoul(range.substr(6));
            reply.Status = 206;
            reply.Reason = "Partial Content";
            reply.Headers.push_back("Content-Range: bytes " + std::to_string(from) + "-" +
                                    std::to_string(newProgram_.size() - 1) + "/" + std::to_string(newProgram_.size()));
            reply.Body = newProgram_.substr(from);
        }
        reply.TrickleBytes = trickleBytes_;
        reply.TrickleDelayMs = trickleDelayMs_;
        const std::lock_guard lock(mutex_);
        programRequests_.push_back({range, request.Header("If-Range"), reply.Status, reply.Body.size()});
        return reply;
    }

    std::string ControlFile() const
    {
        const std::string pin = byDate_ ? "date=02/01/2020\r\n" : "newversion=3.1.1.0\r\nlocalversion={APP}\\main.exe\r\n";
        return "[update]\r\nserial=1\r\nexpires=2099-12-31\r\n" + pin +
               "[application]\r\nappupdate=1\r\nappname={APP}\\main.exe\r\nappcomps={APP}\\main.exe_NEW\r\n"
               "silentrestart=1\r\n"
               "[files]\r\ncount=1\r\n"
               "[file1]\r\nurl=" +
               ProgramUrl() +
               "\r\n" + (byDate_ ? "" : pin) + "targetdir={APP}\r\nsha256=" +
               Sha256Hex(newProgram_) + "\r\n";
    }

    const std::string newProgram_;
    const bool byDate_;
    std::atomic<size_t> trickleBytes_{0};
    std::atomic<unsigned> trickleDelayMs_{0};
    mutable std::mutex mutex_;
    std::vector<ProgramRequest> programRequests_;
    ScriptedHttpServer server_;
};

uint64_t SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

long long Milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// Starts main.exe 3.1.0 against the server and follows it through the update to the copy
// that runs afterwards.
RestartedProgram RunThroughUpdate(const ProgramFolder& folder, const UpdateServer& server)
{
    folder.Write(L"news.rtf", kNewsLog);
    folder.Write(L"main.ini", server.Sources());
    RunningProgram old(folder);
    EXPECT_TRUE(old.WaitForExit(60000)) << "the old program did not end for the update";
    const auto ended = std::chrono::steady_clock::now();
    RestartedProgram outcome = WaitForRestartedProgram(folder, 60000);
    const auto shown = std::chrono::steady_clock::now();
    // Its caption gets the version once its own start-up, update check included, is through.
    WaitUntil([&] { return outcome.window && outcome.program->WindowText(outcome.window) != L"Soriel online"; }, 30000);
    const auto started = std::chrono::steady_clock::now();
    std::cout << "replace and restart: " << Milliseconds(shown - ended) << " ms from the end of the old process to the "
              << "new window, " << Milliseconds(started - ended) << " ms to its start-up done\n";
    return outcome;
}

// What an earlier update's updater left in the temporary folder.
std::wstring PlantLeftUpdaterFolder()
{
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring folder = std::wstring(temporary) + L"SorielUpdate-0-0\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteFileAtomically(folder + L"upd.exe", "an updater that has finished");
    return folder;
}

TEST(SelfUpdate, TheProgramComesBackAsTheNewVersionWithItsNewsLog)
{
    const std::wstring leftOver = PlantLeftUpdaterFolder();
    ProgramFolder folder(L"soriel update");
    UpdateServer server(Built(L"main_next.exe"));
    RestartedProgram after = RunThroughUpdate(folder, server);
    ASSERT_TRUE(after.window) << "no program came back";
    EXPECT_EQ(Narrow(after.program->WindowText(after.window)), "Soriel online 3.1.1");
    EXPECT_TRUE(WaitUntil([&] { return after.program->LogText().find("Zpráva před aktualizací") != std::string::npos; }, 10000))
        << after.program->LogText();
    EXPECT_EQ(folder.Read(L"news.rtf"), kNewsLog);
    EXPECT_TRUE(folder.Read(L"main.exe") == Built(L"main_next.exe")) << "main.exe is not the new build";
    EXPECT_FALSE(folder.Exists(L"main.exe_NEW"));
    // Kept while the new program proves itself, then gone.
    EXPECT_TRUE(WaitUntil([&] { return !folder.Exists(L"main.exe.old"); }, 30000));
    EXPECT_TRUE(after.program->Running());
    EXPECT_EQ(GetFileAttributesW(leftOver.c_str()), INVALID_FILE_ATTRIBUTES) << "an earlier updater folder stayed";
}

// What the update keeps in the registry under this name; empty when nothing.
std::string UpdateEntry(const char* name)
{
    return TRegistryKey::OpenOrCreateUserKey(Narrow(kUpdateRegistryKey)).ReadString(name).value_or("");
}

// A run closed before its restart left the offered main.exe_NEW beside the old main.exe: the
// next start takes it as arrived, without fetching it again, and restarts through the
// updater. The restarted program finds main.exe in place and stores the serial that waited as
// pending (that it is not stored sooner is the update test's).
TEST(SelfUpdate, ALeftOverNewProgramEqualToTheOfferedOneCompletesTheUpdate)
{
    ProgramFolder folder(L"soriel update");
    WriteFileAtomically(folder.File(L"main.exe_NEW"), Built(L"main_next.exe"));
    UpdateServer server(Built(L"main_next.exe"));
    folder.Write(L"news.rtf", kNewsLog);
    folder.Write(L"main.ini", server.Sources());
    RunningProgram old(folder);
    ASSERT_TRUE(old.WaitForExit(60000)) << "the old program did not end for the update";
    RestartedProgram after = WaitForRestartedProgram(folder, 60000);
    ASSERT_TRUE(after.window) << "no program came back";
    EXPECT_TRUE(WaitUntil([&] { return after.program->WindowText(after.window) == L"Soriel online 3.1.1"; }, 30000));
    EXPECT_TRUE(folder.Read(L"main.exe") == Built(L"main_next.exe")) << "main.exe is not the new build";
    EXPECT_FALSE(folder.Exists(L"main.exe_NEW"));
    EXPECT_EQ(server.Downloads(), 0u);
    EXPECT_EQ(UpdateEntry("LastSerial"), "1");
    EXPECT_EQ(UpdateEntry("PendingSerial"), "");
    EXPECT_EQ(server.ControlFileRequests(), 2u) << "the restarted program took serial 1 as news";
    EXPECT_TRUE(after.program->Exit());
}

// The old program comes back, and when the same broken file is offered again it takes it but
// does not try it a second time: no round of restarts.
TEST(SelfUpdate, TheOldProgramComesBackWhenTheNewOneFailsAtOnce)
{
    ProgramFolder folder(L"soriel update");
    UpdateServer server(Built(L"failing_probe.exe"));
    RestartedProgram after = RunThroughUpdate(folder, server);
    ASSERT_TRUE(after.window) << "no program came back";
    EXPECT_EQ(Narrow(after.program->WindowText(after.window)), "Soriel online 3.1.0");
    EXPECT_TRUE(folder.Read(L"main.exe") == Built(L"main.exe")) << "main.exe is not the old build";
    EXPECT_TRUE(WaitUntil([&] { return after.program->LogText().find("Zpráva před aktualizací") != std::string::npos; }, 10000))
        << after.program->LogText();
    EXPECT_EQ(server.Downloads(), 1u) << "the old program took the update it had carried out again";
    EXPECT_FALSE(after.program->WaitForExit(2000)) << "the old program went for the same update again";
    EXPECT_EQ(folder.Read(L"marks.txt"), "failing\r\n"); // the new program ran, and failed, once
    EXPECT_TRUE(folder.Read(L"main.exe_NEW.rejected") == Built(L"failing_probe.exe"));
    EXPECT_FALSE(folder.Exists(L"main.exe_NEW"));
    EXPECT_FALSE(folder.Exists(L"main.exe.old"));
    EXPECT_TRUE(after.program->Exit());
    EXPECT_NE(folder.Read(L"news.rtf").value_or("").find("aktualizac"), std::string::npos);
}

// An earlier release's signed control file served again to 3.1.1, under a serial not seen
// yet: the older main.exe it offers is fetched but refused before any restart, and the next
// start takes the control file as carried out. One control-file request per start.
TEST(SelfUpdate, AnOlderProgramIsRefusedAndTheSameUpdateNotTakenAgain)
{
    ProgramFolder folder(L"soriel update");
    WriteFileAtomically(folder.File(L"main.exe"), Built(L"main_next.exe"));
    UpdateServer server(Built(L"main.exe"), true);
    folder.Write(L"main.ini", server.Sources());
    for (size_t start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        RunningProgram program(folder);
        const HWND window = program.MainWindow();
        ASSERT_NE(window, nullptr);
        // The caption gets the version once start-up, update run included, is through.
        EXPECT_TRUE(WaitUntil([&] { return program.WindowText(window) == L"Soriel online 3.1.1"; }, 30000));
        EXPECT_EQ(server.ControlFileRequests(), start);
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_EQ(server.Downloads(), 1u);
    EXPECT_TRUE(folder.Read(L"main.exe") == Built(L"main_next.exe")) << "main.exe is not 3.1.1 any more";
    EXPECT_FALSE(folder.Exists(L"main.exe_NEW"));
}

// A download cut by a close is kept; the next start asks only for the rest (Range, with If-Range
// naming the first reply's entity tag), is sent only the rest, and completes the update.
TEST(SelfUpdate, ADownloadCutByACloseGoesOnAtTheNextStart)
{
    const std::string program = Built(L"main_next.exe");
    const std::string sha256 = Sha256Hex(program);
    ProgramFolder folder(L"soriel update");
    UpdateServer server(program);
    const std::wstring held = HeldDownloadPath(server.ProgramUrl(), sha256);
    RemoveHeldDownload(server.ProgramUrl(), sha256);
    server.ServeProgramSlowly(4096, 50);
    folder.Write(L"main.ini", server.Sources());
    {
        RunningProgram first(folder);
        ASSERT_NE(first.MainWindow(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return SizeOf(held) >= 256 * 1024; }, 30000)) << "no download under way";
        ASSERT_TRUE(first.Exit());
    }
    const uint64_t kept = SizeOf(held);
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, program.size());
    EXPECT_NE(GetFileAttributesW((held + L".txt").c_str()), INVALID_FILE_ATTRIBUTES);
    server.ServeProgramSlowly(0, 0);
    // Kept bytes of a file no update offers any more do not stay.
    const std::wstring stray = HeldDownloadPath(server.ProgramUrl(), std::string(64, 'a'));
    WriteFileAtomically(stray, "stale");

    RestartedProgram after = RunThroughUpdate(folder, server);
    ASSERT_TRUE(after.window) << "no program came back";
    EXPECT_EQ(Narrow(after.program->WindowText(after.window)), "Soriel online 3.1.1");
    EXPECT_TRUE(folder.Read(L"main.exe") == program) << "main.exe is not the new build";
    const std::vector<UpdateServer::ProgramRequest> requests = server.ProgramRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].range, "");
    EXPECT_EQ(requests[1].range, "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(requests[1].ifRange, UpdateServer::kProgramTag);
    EXPECT_EQ(requests[1].status, 206);
    EXPECT_EQ(requests[1].bodyBytes, program.size() - kept);
    std::cout << "resumed download of " << program.size() << " bytes: the first start kept " << kept
              << ", the second was sent " << requests[1].bodyBytes << "\n";
    EXPECT_EQ(GetFileAttributesW(held.c_str()), INVALID_FILE_ATTRIBUTES) << "the kept bytes stayed";
    EXPECT_EQ(GetFileAttributesW((held + L".txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(stray.c_str()), INVALID_FILE_ATTRIBUTES) << "bytes of a file not offered stayed";
    EXPECT_TRUE(after.program->Exit());
}

} // namespace
