#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <utility>

#include "FileIO.h"
#include "FileTransferStep.h"
#include "PlatformEdge.h"
#include "ScriptedHttpServer.h"
#include "Sha256.h"
#include "Text.h"
#include "UpdateStatus.h"
#include "UpdateTestSupport.h"

namespace {

struct HttpCase {
    const char* name;
    ScriptedReply reply;
    std::optional<std::string> digest;
    bool cancelAtFirstBlock;
    bool expectedResult;
    bool expectedNewContent;
    long long sizeLimit = TAutoUpdate::kMaxTransferBytes;
    const char* nameFromHandler = nullptr;
};

ScriptedReply Reply(int status, std::string body)
{
    ScriptedReply reply;
    reply.Status = status;
    reply.Reason = status == 200 ? "OK" : "Not Found";
    reply.Body = std::move(body);
    return reply;
}

// Keeps the status lines the step told.
struct RecordingEdge : PlatformEdge {
    std::vector<int> ids;

    void ReportStatus(int id, const std::string&) override { ids.push_back(id); }
    void ReportStatusWithCodes(int id, const std::string&, int, int) override { ids.push_back(id); }
    void ShowMessage(const std::string&) override {}
    void ShowHTMLPage(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
    void OpenAddress(const std::string&) override {}
    void StartCommand(const std::string&) override {}
    void PumpMessages() override {}
    std::optional<TDateTime> LocalFileTime(const std::string&) override { return std::nullopt; }
};

} // namespace

// One address fetched over real HTTP onto an existing file, with everything that may go
// wrong on the way; the old file stays unless the whole right file came.
TEST(UpdateTransfers, HttpDownloadReplacesTheTargetOnlyWithACompleteRightFile)
{
    const HttpCase cases[] = {
        {"plain", Reply(200, kPayload), std::nullopt, false, true, true},
        {"digest right", Reply(200, kPayload), kPayloadSha256, false, true, true},
        {"digest wrong", Reply(200, kPayload), kOtherSha256, false, false, false},
        {"404", Reply(404, "gone"), std::nullopt, false, false, false},
        {"zero bytes", Reply(200, ""), std::nullopt, false, false, false},
        {"cancel", Reply(200, std::string(20000, 'x')), std::nullopt, true, false, false},
        {"over its limit", Reply(200, std::string(20000, 'x')), std::nullopt, false, false, false, 19999},
        {"at its limit", Reply(200, std::string(20000, 'x')), std::nullopt, false, true, true, 20000},
        {"name leading out", Reply(200, kPayload), std::nullopt, false, false, false, TAutoUpdate::kMaxTransferBytes,
         "..\\escaped.bin"},
    };
    for (const HttpCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        server.SetReply(c.reply);
        ScratchFolder target, temporary;
        target.Write("file.bin", "old");
        // Left by a run that let a name lead out, it would fail every later one.
        DeleteFileW(Widen(target.File("..\\escaped.bin")).c_str());
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::httpUpdate;
        update.TempDirectory = temporary.Path();
        std::vector<std::string> downloaded;
        update.OnFileDownloaded = [&](TAutoUpdate&, const std::string& name) { downloaded.push_back(name); };
        if (c.nameFromHandler)
            update.OnFileNameFromURL = [&](TAutoUpdate&, const std::string&, std::string& name) {
                name = c.nameFromHandler;
            };
        int progressEvents = 0;
        update.OnProgressCancel = [&](TAutoUpdate&, bool& cancel) {
            cancel = c.cancelAtFirstBlock && ++progressEvents == 1;
        };
        ASSERT_EQ(update.OpenInternetSession(), 0);
        const bool result =
            update.DownloadFile(update.ConnectionHandle(), server.Url("/dir/file.bin"), false, target.Path(), c.digest,
                                c.sizeLimit);
        EXPECT_EQ(result, c.expectedResult);
        EXPECT_EQ(target.Read("file.bin"), c.expectedNewContent ? c.reply.Body : "old");
        EXPECT_EQ(downloaded.size(), c.expectedNewContent ? 1u : 0u);
        EXPECT_TRUE(temporary.Files().empty()) << "temporary files left behind";
        EXPECT_FALSE(ReadWholeFile(Widen(target.File("..\\escaped.bin"))));
        EXPECT_EQ(update.Reported(916), c.reply.Status == 404);
        EXPECT_FALSE(update.Reported(917));
        if (c.reply.Status == 404) {
            EXPECT_EQ(update.statuses.back().param, "404");
            EXPECT_EQ(update.statuses.back().errcode, 404);
        }
        update.CloseInternetSession();
    }
}

// A shown text is read whole into memory: one larger than its cap is refused like a missing
// one and leaves no file behind.
TEST(UpdateTransfers, TextLargerThanItsCapIsRefused)
{
    for (long long size : {TAutoUpdate::kMaxTextBytes, TAutoUpdate::kMaxTextBytes + 1}) {
        ScriptedHttpServer server;
        server.SetReply(Reply(200, std::string(size_t(size), 'a')));
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::httpUpdate;
        ASSERT_EQ(update.OpenInternetSession(), 0);
        const auto text = update.DownloadText(server.Url("/capped-text.txt"));
        EXPECT_EQ(text != nullptr, size <= TAutoUpdate::kMaxTextBytes) << size;
        if (text)
            EXPECT_EQ((*text)[0].size(), size_t(size));
        EXPECT_FALSE(ReadWholeFile(Widen(TAutoUpdate::TemporaryFolder() + "capped-text.txt")));
        update.CloseInternetSession();
    }
}

// The FTP server of the test runner, in both transfer modes, with the folder entered once.
TEST(UpdateTransfers, FtpDownloadInPassiveAndActiveMode)
{
    const std::string root = Environment("UPDATE_FTP_ROOT");
    ASSERT_FALSE(root.empty()) << "run through run-with-servers.sh";
    WriteFileAtomically(Widen(root + "\\sub\\file.bin"), kPayload);
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        ScratchFolder target;
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::ftpUpdate;
        update.Host = "127.0.0.1";
        update.Port = std::stoi(Environment("UPDATE_FTP_PORT"));
        update.FTPDirectory = "sub";
        update.FTPPassive = passive;
        update.TempDirectory = target.Path();
        ASSERT_EQ(update.OpenInternetSession(), 0);
        ASSERT_EQ(update.ConnectFtpHost(), 0);
        EXPECT_TRUE(
            update.DownloadFile(update.ConnectionHandle(), "ftp://ignored/path/file.bin", false, target.Path()));
        EXPECT_FALSE(update.DownloadFile(update.ConnectionHandle(), "ftp://ignored/missing.bin", false, target.Path()));
        EXPECT_TRUE(update.Reported(917));
        EXPECT_EQ(target.Read("file.bin"), kPayload);
        update.CloseInternetSession();
        EXPECT_EQ(update.Ids().back(), 949);
        EXPECT_TRUE(update.Reported(954));
    }
}

// Folder copies: a target folder, a target that names a file, an SZDD file expanded by the
// platform's LZ library, and a file marked compressed that is not SZDD left as it is.
TEST(UpdateTransfers, FolderCopiesAndExpansion)
{
    ScratchFolder source, target;
    source.Write("plain.txt", kPayload);
    const std::string szdd = Environment("UPDATE_SZDD_FILE");
    ASSERT_FALSE(szdd.empty()) << "run through run-with-servers.sh";
    struct Case {
        std::string from, targetDir;
        bool compressed;
        const char* expectedFile;
        std::string expectedContent;
    } cases[] = {
        {source.File("plain.txt"), target.Path(), false, "plain.txt", kPayload},
        {source.File("plain.txt"), target.File("renamed.txt"), false, "renamed.txt", kPayload},
        {source.File("plain.txt"), target.File("kept.txt"), true, "kept.txt", kPayload},
        {szdd, target.Path(), true, "readme.txt", "Expanded by the platform LZ library.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedFile);
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::fileUpdate;
        update.TempDirectory = target.Path();
        EXPECT_TRUE(update.DownloadFile(nullptr, c.from, c.compressed, c.targetDir));
        EXPECT_EQ(target.Read(c.expectedFile), c.expectedContent);
    }
    EXPECT_EQ(target.Files(), (std::vector<std::string>{"kept.txt", "plain.txt", "readme.txt", "renamed.txt"}));
}

// Dialling through the connection seam, and the log lines of the three statuses that have
// no text.
TEST(UpdateTransfers, DialUpPathsAndTheirLogLines)
{
    struct Case {
        TAutoUpdateConnect mode;
        bool connected;
        bool dialWorks;
        int expectedResult;
        std::vector<int> expectedIds;
    } cases[] = {
        {TAutoUpdateConnect::aucNoConnect, false, true, 1, {918}},
        {TAutoUpdateConnect::aucConnectPrompt, false, false, 3, {918, 919, 953}},
        {TAutoUpdateConnect::aucConnectSilentHangup, false, true, 0, {918, 920, 921, 954, 949, 955, 949}},
        // A connection the component did not dial is not its to hang up.
        {TAutoUpdateConnect::aucConnectSilentHangup, true, true, 0, {918, 921, 954, 949, 949}},
    };
    ScratchFolder folder;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(Widen(folder.Path()).c_str());
    for (const Case& c : cases) {
        RecordingUpdate update;
        update.UpdateType = TAutoUpdateType::ftpUpdate;
        update.Logging = true;
        update.UpdateConnect = c.mode;
        update.ConnectionFunctions.IsConnected = [&] { return c.connected; };
        update.ConnectionFunctions.Dial = [&](DWORD) { return c.dialWorks; };
        int hangUps = 0;
        update.ConnectionFunctions.HangUp = [&] { return ++hangUps > 0; };
        const int result = update.OpenInternetSession();
        EXPECT_EQ(result, c.expectedResult);
        if (result == 0) {
            update.Host = "127.0.0.1";
            update.Port = std::stoi(Environment("UPDATE_FTP_PORT"));
            ASSERT_EQ(update.ConnectFtpHost(), 0);
            update.CloseInternetSession();
            EXPECT_EQ(hangUps, c.connected ? 0 : 1);
        }
        std::vector<int> ids = update.Ids();
        ids.erase(std::remove(ids.begin(), ids.end(), 923), ids.end());
        EXPECT_EQ(ids, c.expectedIds);
    }
    SetCurrentDirectoryW(previous);
    const std::string log = folder.Read("AUPDATE.LOG").value_or("");
    for (int id : {953, 954, 955}) {
        const std::regex line(R"((^|\n)\d\d.\d\d.\d{4} \d\d.\d\d.\d\d : \[)" + std::to_string(id) +
                              R"(\]  \(Status:3\) \(Error:0\)\r\n)");
        EXPECT_TRUE(std::regex_search(log, line)) << id << " in\n" << log;
    }
}

// The transfer step without the component: a folder copy steered by the answers it is given. The
// old target stays and the transfer folder keeps nothing unless the whole right file came.
TEST(UpdateTransfers, FileTransferStepFollowsTheAnswersItIsGiven)
{
    struct Case {
        const char* name;
        const char* sourceName;
        std::string localName = "app.txt";
        std::optional<std::string> digest;
        bool allowsVersion = true, cancels = false, runCancelled = false, stopReported = false;
        bool expectedResult = false;
        std::vector<int> expectedIds = {usDownload};
    } cases[] = {
        {.name = "whole right file", .sourceName = "new.txt", .digest = kPayloadSha256, .expectedResult = true},
        {.name = "lower version", .sourceName = "new.txt", .allowsVersion = false},
        {.name = "user cancels", .sourceName = "new.txt", .cancels = true},
        {.name = "wrong digest", .sourceName = "new.txt", .digest = kOtherSha256},
        {.name = "name leads out", .sourceName = "new.txt", .localName = "..\\app.txt"},
        {.name = "missing source", .sourceName = "none.txt", .expectedIds = {usDownload, usLocalFileNotFound}},
        {.name = "empty source", .sourceName = "empty.txt", .expectedIds = {usDownload, usZeroLengthSource}},
        {.name = "run stopped", .sourceName = "new.txt", .runCancelled = true,
         .expectedIds = {usDownload, usRunStopped}},
        {.name = "run stopped, told before", .sourceName = "new.txt", .runCancelled = true, .stopReported = true},
    };
    ScratchFolder source;
    source.Write("new.txt", kPayload);
    source.Write("empty.txt", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder target, transfers;
        target.Write("app.txt", "old\r\n");
        RecordingEdge edge;
        bool stopReported = c.stopReported;
        std::vector<std::string> downloaded;
        TransferBudget budget;
        if (c.runCancelled)
            budget.Cancel();
        bool ftpFolderEntered = false;
        const bool result = RunFileTransferStep({.Address = source.File(c.sourceName),
                                                 .TargetDir = target.Path(),
                                                 .ExpectedSha256 = c.digest,
                                                 .SizeLimit = TAutoUpdate::kMaxTransferBytes,
                                                 .Carrier = TAutoUpdateType::fileUpdate,
                                                 .FtpFolderEntered = ftpFolderEntered,
                                                 .TransferFolder = transfers.Path(),
                                                 .StopReported = stopReported,
                                                 .Budget = budget},
                                                {.FileNameFromURL = [&](const std::string&) { return c.localName; },
                                                 .ExpandPrefixes = [](const std::string& value) { return value; },
                                                 .ProgressCancelled = [&](const std::string&, uint64_t,
                                                                          uint64_t) { return c.cancels; },
                                                 .VersionAllowsReplacing = [&](const std::wstring&,
                                                                               const std::string&) {
                                                     return c.allowsVersion;
                                                 },
                                                 .FileDownloaded = [&](const std::string& path) {
                                                     downloaded.push_back(path);
                                                 }},
                                                edge);
        EXPECT_EQ(result, c.expectedResult);
        EXPECT_EQ(edge.ids, c.expectedIds);
        EXPECT_EQ(target.Read("app.txt"), c.expectedResult ? kPayload : "old\r\n");
        EXPECT_EQ(downloaded.size(), c.expectedResult ? 1u : 0u);
        EXPECT_TRUE(transfers.Files().empty());
    }
}

// A web download with a digest, cut off once, goes on from the bytes it kept when the server
// answers the request for the rest with them; any other answer brings the whole file, a reply
// without a validator keeps nothing, and kept bytes that are wrong never reach the target.
TEST(UpdateTransfers, CutDownloadGoesOnFromWhatItKept)
{
    std::string file(20000, '\0');
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = char('a' + i % 23);
    Sha256 digest;
    digest.Update(file);
    const std::string sha256 = digest.HexDigest();
    constexpr size_t kCut = 8000;
    enum class Rest { Sent, Whole, OtherOffset, Unsatisfiable };
    struct Case {
        const char* name;
        Rest rest;
        bool validator = true;
        bool spoilKept = false;
        bool expectedResult = true;
        std::vector<std::string> expectedRanges;
    } cases[] = {
        {"206 from the kept end is added", Rest::Sent, true, false, true, {"", "bytes=8000-"}},
        {"200 starts over", Rest::Whole, true, false, true, {"", "bytes=8000-"}},
        {"206 at another offset asks anew", Rest::OtherOffset, true, false, true, {"", "bytes=8000-", ""}},
        {"416 asks anew", Rest::Unsatisfiable, true, false, true, {"", "bytes=8000-", ""}},
        {"no validator keeps nothing", Rest::Sent, false, false, true, {"", ""}},
        {"wrong kept bytes are dropped", Rest::Sent, true, true, false, {"", "bytes=8000-"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        std::atomic<int> served{0};
        server.SetHandler([&](const RecordedRequest& request) {
            const std::string range = request.Header("Range");
            ScriptedReply reply{.Body = file};
            if (c.validator)
                reply.Headers.push_back("ETag: \"file-1\"");
            if (++served == 1)
                reply.CloseAfter = kCut;
            else if (!range.empty() && request.Header("If-Range") == "\"file-1\"" && c.rest != Rest::Whole) {
                reply.Status = c.rest == Rest::Unsatisfiable ? 416 : 206;
                const size_t from = c.rest == Rest::OtherOffset ? 0 : kCut;
                reply.Headers.push_back("Content-Range: bytes " + std::to_string(from) + "-19999/20000");
                reply.Body = c.rest == Rest::Unsatisfiable ? "" : file.substr(from);
            }
            return reply;
        });
        ScratchFolder target, transfers, partials;
        target.Write("file.bin", "old");
        RecordingEdge edge;
        TransferBudget budget;
        bool ftpFolderEntered = false, stopReported = false;
        const auto attempt = [&] {
            return RunFileTransferStep({.Address = server.Url("/file.bin"),
                                        .TargetDir = target.Path(),
                                        .ExpectedSha256 = sha256,
                                        .SizeLimit = TAutoUpdate::kMaxTransferBytes,
                                        .FtpFolderEntered = ftpFolderEntered,
                                        .TransferFolder = transfers.Path(),
                                        .PartialFolder = partials.Path(),
                                        .StopReported = stopReported,
                                        .Budget = budget},
                                       {.FileNameFromURL = [](const std::string&) { return std::string("file.bin"); },
                                        .ExpandPrefixes = [](const std::string& value) { return value; },
                                        .ProgressCancelled = [](const std::string&, uint64_t, uint64_t) { return false; },
                                        .VersionAllowsReplacing = [](const std::wstring&, const std::string&) { return true; },
                                        .FileDownloaded = [](const std::string&) {}},
                                       edge);
        };
        EXPECT_FALSE(attempt());
        const std::vector<std::string> kept = partials.Files();
        ASSERT_EQ(kept.size(), c.validator ? 2u : 0u);
        if (c.validator) {
            EXPECT_EQ(partials.Read(kept[0]), file.substr(0, kCut));
        }
        if (c.spoilKept)
            partials.Write(kept[0], std::string(kCut, 'x'));
        EXPECT_EQ(attempt(), c.expectedResult);
        std::vector<std::string> ranges;
        for (const RecordedRequest& request : server.Requests())
            ranges.push_back(request.Header("Range"));
        EXPECT_EQ(ranges, c.expectedRanges);
        EXPECT_EQ(target.Read("file.bin"), c.expectedResult ? file : "old");
        EXPECT_TRUE(partials.Files().empty());
        EXPECT_TRUE(transfers.Files().empty());
    }
}
