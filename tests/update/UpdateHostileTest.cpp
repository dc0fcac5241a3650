#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DetachedSignature.h"
#include "HostileReplies.h"
#include "ScriptedHttpServer.h"
#include "Text.h"
#include "UpdateSigner.h"
#include "UpdateTestSupport.h"
#include "Waiting.h"
#include "WebTransfer.h"

namespace {

// Short bounds: every transfer of the table ends in seconds, and they all run at once. The
// steps keep the program's time-out, so that a wait that runs past what is left shows.
constexpr TransferBudget::Limits kShortLimits{
    .runMs = 3000, .runTotalMs = 4000, .slowWindowMs = 3000, .slowBytesPerSecond = 1024};
constexpr unsigned kStepTimeoutMs = 10000;
// The longest time allowance, and room for a loaded machine (less than a step).
constexpr unsigned kTransferBoundMs = kShortLimits.runTotalMs + 5000;

const std::string kMarker = "the good control file";
const std::string kControlFile = "[update]\r\nserial=3\r\nexpires=2099-12-31\r\n[check]\r\nmarker=" + kMarker + "\r\n";
const std::string kText = "What is new: the good text\r\n";
const std::string kPostReply = "accepted";
// The most bytes a listed file of the payload's stated size may take.
constexpr size_t kDownloadLimit = 64 << 10;
// The post reads at most this much of its reply.
constexpr size_t kPostReplyLimit = 1 << 20;

struct Exchange;

// One of the update's transfers: the file its hostile server serves badly, what a good
// reply carries there, what the transfer makes of that, other files served well, and the
// transfer itself, which answers what it took.
struct Transfer {
    const char* name;
    std::string file;
    std::string content;
    std::string taken;
    size_t sizeLimit;
    unsigned allowanceMs;
    std::map<std::string, std::string> others;
    // Takes an error page like any other reply, as the post does.
    bool readsErrorPages;
    // Knows the bytes it must get (a signature, a digest), and so refuses garbage too.
    bool verifiesBytes;
    std::function<std::optional<std::string>(RecordingUpdate&, const Exchange&)> take;
};

// One transfer meeting one hostile reply, with its own component, server, target and
// temporary folders.
struct Exchange {
    const Transfer& transfer;
    const HostileReply& hostile;
    std::string stem;
    std::vector<std::unique_ptr<ScriptedHttpServer>> servers; // where the reply leads
    std::unique_ptr<ScriptedHttpServer> server = std::make_unique<ScriptedHttpServer>();
    std::string base = server->Url("");
    RecordingUpdate update;
    ScratchFolder target, temporary;
    std::thread thread;
    std::atomic<bool> done{false};
    std::optional<std::string> taken;
    ULONGLONG elapsedMs = 0;

    Exchange(const Transfer& transfer, const HostileReply& hostile, std::string stem)
        : transfer(transfer), hostile(hostile), stem(std::move(stem))
    {
        update.UpdateType = TAutoUpdateType::httpUpdate;
        update.TempDirectory = temporary.Path();
        update.TransferLimits = kShortLimits;
        update.RequestTimeoutMs = kStepTimeoutMs;
        target.Write(Name(transfer.file), "old");
    }
    // Names are unique to the exchange: the control file and texts land in the shared
    // temporary folder.
    std::string Name(const std::string& file) const { return "hostile-" + stem + "-" + file; }
    // The request target of the file on the exchange's server.
    std::string Target(const std::string& file) const
    {
        std::string target = "/";
        return target.append(Name(file));
    }
    std::string Address(const std::string& file) const { return base + Target(file); }
    // Where a file of the exchange lands in the system's temporary folder.
    std::wstring TemporaryPath(const std::string& file) const
    {
        return Widen(TAutoUpdate::TemporaryFolder() + Name(file));
    }
    std::string Label() const { return std::string(transfer.name) + " / " + hostile.name; }

    // The transfer's own file answered with the reply, the others as they are.
    void Serve(const ScriptedReply& reply)
    {
        std::map<std::string, std::string> files;
        for (const auto& [file, content] : transfer.others)
            files[Target(file)] = content;
        server->SetHandler([reply, files, own = Target(transfer.file)](const RecordedRequest& request) {
            if (request.Target == own)
                return reply;
            return ServedOrNotFound(files, request.Target);
        });
    }
};

// A control file lands in the system's temporary folder, shared by every exchange: a taken one
// goes at once, a refused one must not be there at all.
std::optional<std::string> FetchedControlFile(RecordingUpdate& update, const std::string& address)
{
    update.URL = address;
    if (update.FetchControlFile() != 0)
        return std::nullopt;
    DeleteFileW(Widen(TAutoUpdate::TemporaryFolder() + update.FileNameFromURL(address)).c_str());
    return update.ControlValue("check", "marker");
}

bool LandedInTemporaryFolder(const Exchange& exchange, const std::string& file)
{
    return GetFileAttributesW(exchange.TemporaryPath(file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a refused exchange may leave there: the good control file beside a refused signature.
void RemoveFromTemporaryFolder(const Exchange& exchange)
{
    DeleteFileW(exchange.TemporaryPath(exchange.transfer.file).c_str());
    for (const auto& [file, content] : exchange.transfer.others)
        DeleteFileW(exchange.TemporaryPath(file).c_str());
}

std::vector<Transfer> UpdateTransfers()
{
    return {
        {"control file", "control.inf", kControlFile, kMarker, size_t(TAutoUpdate::kMaxTextBytes), kShortLimits.runMs, {}, false,
         false, [](RecordingUpdate& update, const Exchange& exchange) {
             return FetchedControlFile(update, exchange.Address("control.inf"));
         }},
        {"signature", "signed.inf.sig", SignControlFile(kControlFile), kMarker,
         size_t(TAutoUpdate::kMaxSignatureBytes), kShortLimits.runMs, {{"signed.inf", kControlFile}}, false, true,
         [](RecordingUpdate& update, const Exchange& exchange) {
             update.PublicKeys = BuiltInUpdatePublicKeys();
             return FetchedControlFile(update, exchange.Address("signed.inf"));
         }},
        {"text", "whatsnew.txt", kText, kText, size_t(TAutoUpdate::kMaxTextBytes), kShortLimits.runMs, {}, false,
         false,
         [](RecordingUpdate& update, const Exchange& exchange) -> std::optional<std::string> {
             const auto text = update.DownloadText(exchange.Address("whatsnew.txt"));
             if (!text)
                 return std::nullopt;
             return text->Text();
         }},
        {"download", "file.bin", kPayload, kPayload, kDownloadLimit, kShortLimits.runTotalMs, {}, false, true,
         [](RecordingUpdate& update, const Exchange& exchange) -> std::optional<std::string> {
             if (!update.DownloadFile(update.ConnectionHandle(), exchange.Address("file.bin"), false,
                                      exchange.target.Path(), kPayloadSha256, kDownloadLimit))
                 return std::nullopt;
             return exchange.target.Read(exchange.Name("file.bin"));
         }},
        {"post", "post", kPostReply, kPostReply, kPostReplyLimit, kShortLimits.runMs, {}, true, false,
         [](RecordingUpdate& update, const Exchange& exchange) -> std::optional<std::string> {
             update.PostUpdateInfo = {.Server = exchange.base.substr(std::string("http://").size()),
                                      .Action = exchange.Target("post"),
                                      .Data = "verze=1.0",
                                      .Enabled = true};
             update.SendPostUpdateInfo();
             if (update.PostUpdateInfo.PostReply.empty())
                 return std::nullopt;
             return update.PostUpdateInfo.PostReply;
         }},
    };
}

// Runs every exchange's transfer at once, each in a thread of its own, and waits for them.
// A server whose transfer is still under way past the bound is stopped, which ends its
// connections and with them the transfer, and a fresh one takes its place.
void TransferAll(std::vector<std::unique_ptr<Exchange>>& exchanges)
{
    for (auto& exchange : exchanges) {
        exchange->done = false;
        exchange->thread = std::thread([&exchange = *exchange] {
            const ULONGLONG started = GetTickCount64();
            exchange.taken = exchange.transfer.take(exchange.update, exchange);
            exchange.elapsedMs = GetTickCount64() - started;
            exchange.done = true;
        });
    }
    WaitUntil(
        [&] {
            for (auto& exchange : exchanges)
                if (!exchange->done)
                    return false;
            return true;
        },
        kTransferBoundMs + 5000);
    for (auto& exchange : exchanges)
        if (!exchange->done)
            exchange->server.reset();
    for (auto& exchange : exchanges) {
        exchange->thread.join();
        if (!exchange->server) {
            exchange->servers.clear();
            exchange->server = std::make_unique<ScriptedHttpServer>();
            exchange->base = exchange->server->Url("");
        }
    }
}

bool TransferTaken(const ScriptedHttpServer& server)
{
    TransferBudget budget;
    TransferGuard guard(budget, TransferBudget::Kind::Small, 1 << 10);
    try {
        WebTransfer(WebRequest{.url = server.Url("/")}, guard).ReceiveAll();
        return true;
    } catch (const TransferError&) {
        return false;
    }
}

// Fresh servers in the place of every exchange's: stopping the old ones ends the requests
// given up on that their replies held, which would refuse every transfer past their bound.
void ReplaceServers(std::vector<std::unique_ptr<Exchange>>& exchanges)
{
    for (auto& exchange : exchanges) {
        exchange->server.reset();
        exchange->servers.clear();
        exchange->server = std::make_unique<ScriptedHttpServer>();
        exchange->base = exchange->server->Url("");
    }
    ScriptedHttpServer good;
    ASSERT_TRUE(WaitUntil([&] { return TransferTaken(good); }, 20000));
}

} // namespace

// Every update transfer against every way a server goes bad: each ends within its time
// allowance (however the server stalls or trickles), takes nothing (no text, control file or
// reply, no file in place: the old target as it was, no temporary file left; garbage only as
// the bytes it is), and the same component then takes a good reply.
TEST(UpdateHostile, EveryTransferEndsInTimeTakesNothingBadAndTheNextGoodReplyIsTaken)
{
    const std::vector<Transfer> transfers = UpdateTransfers();
    std::vector<std::unique_ptr<LocalFile>> localFiles;
    std::vector<std::unique_ptr<Exchange>> exchanges;
    for (const Transfer& transfer : transfers) {
        localFiles.push_back(std::make_unique<LocalFile>(transfer.content));
        for (const HostileReply& hostile : HostileReplies()) {
            if (hostile.errorStatus && transfer.readsErrorPages)
                continue;
            auto exchange = std::make_unique<Exchange>(transfer, hostile, std::to_string(exchanges.size()));
            exchange->Serve(hostile.make({exchange->Address(transfer.file), exchange->server->Port(),
                                          transfer.content, transfer.sizeLimit, localFiles.back()->Url(),
                                          transfer.allowanceMs, &exchange->servers}));
            ASSERT_EQ(exchange->update.OpenInternetSession(), 0);
            exchanges.push_back(std::move(exchange));
        }
    }

    TransferAll(exchanges);
    for (auto& exchange : exchanges) {
        SCOPED_TRACE(exchange->Label());
        EXPECT_LE(exchange->elapsedMs, kTransferBoundMs);
        // A transfer that cannot tell garbage from content hands it to its reader, who finds
        // nothing in it.
        if (!exchange->hostile.garbage || exchange->transfer.verifiesBytes)
            EXPECT_FALSE(exchange->taken) << "took " << exchange->taken->size() << " bytes";
        EXPECT_EQ(exchange->target.Read(exchange->Name(exchange->transfer.file)), "old");
        EXPECT_EQ(exchange->target.Files().size(), 1u);
        EXPECT_EQ(exchange->temporary.Files(), std::vector<std::string>{});
        if (!exchange->taken)
            EXPECT_FALSE(LandedInTemporaryFolder(*exchange, exchange->transfer.file));
        RemoveFromTemporaryFolder(*exchange);
    }

    // The program keeps working: the same component takes a good reply from a server.
    ReplaceServers(exchanges);
    for (auto& exchange : exchanges) {
        ScriptedReply good;
        good.Body = exchange->transfer.content;
        exchange->Serve(good);
    }
    TransferAll(exchanges);
    for (auto& exchange : exchanges) {
        SCOPED_TRACE(exchange->Label());
        EXPECT_EQ(exchange->taken, exchange->transfer.taken);
        EXPECT_EQ(exchange->temporary.Files(), std::vector<std::string>{});
        exchange->update.CloseInternetSession();
    }
}
