#include "HostileReplies.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "FileIO.h"
#include "Text.h"

namespace {

ScriptedReply Reply(std::string body)
{
    ScriptedReply reply;
    reply.Body = std::move(body);
    return reply;
}

ScriptedReply Raw(std::string bytes, bool endless = false)
{
    ScriptedReply reply;
    reply.Raw = std::move(bytes);
    reply.EndlessAfterRaw = endless;
    return reply;
}

ScriptedReply Refusal(int status, const char* reason, std::string body)
{
    ScriptedReply reply = Reply(std::move(body));
    reply.Status = status;
    reply.Reason = reason;
    return reply;
}

std::string BinaryGarbage()
{
    std::string bytes(8192, '\0');
    unsigned seed = 12345;
    for (char& byte : bytes) {
        seed = seed * 1103515245 + 12345;
        byte = char(seed >> 16);
    }
    return bytes;
}

// A chunked reply whose first chunk is the content and whose next chunk-size line never
// ends: a client reads it whole before it can tell the chunk's size.
ScriptedReply TrickledChunkSize(const std::string& content)
{
    char size[16];
    std::snprintf(size, sizeof size, "%zx", content.size());
    ScriptedReply reply = Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" +
                                  std::string(size) + "\r\n" + content + "\r\n1;",
                              true);
    reply.TrickleBytes = 1;
    reply.TrickleDelayMs = 200;
    return reply;
}

// The content and more, arriving steadily (faster than any least speed a client asks) until
// just before the client's time runs out, then nothing: a client that waits out its step
// time-out there runs past its time.
ScriptedReply StallJustBeforeTheTimeRunsOut(const HostileTarget& target)
{
    constexpr unsigned kPieceEveryMs = 50;
    // Twice what the allowance takes, within the client's size limit.
    const size_t size = std::min<size_t>(target.sizeLimit / 2, 256 << 10);
    ScriptedReply reply = Reply(target.content + std::string(size - std::min(size, target.content.size()), ' '));
    reply.TrickleBytes = std::max<size_t>(1, size * kPieceEveryMs / (2 * target.allowanceMs));
    reply.TrickleDelayMs = kPieceEveryMs;
    reply.StallAtMs = target.allowanceMs - 500;
    return reply;
}

// A 302 to a listener of its own that trickles its header: a server can hand every request
// a new port (one the per-server bounds of a client do not know yet).
ScriptedReply RedirectToNewTricklingPort(const HostileTarget& target)
{
    auto trickling = std::make_unique<ScriptedHttpServer>();
    trickling->SetReply(TrickledHead());
    ScriptedReply reply = Redirect(trickling->Url("/"));
    target.servers->push_back(std::move(trickling));
    return reply;
}

} // namespace

ScriptedReply Redirect(const std::string& location)
{
    ScriptedReply reply;
    reply.Status = 302;
    reply.Reason = "Found";
    reply.Headers = {"Location: " + location};
    return reply;
}

ScriptedReply TrickledHead()
{
    ScriptedReply reply = Raw("HTTP/1.0 200 OK\r\nX-Filler: ", true);
    reply.TrickleBytes = 1;
    reply.TrickleDelayMs = 200;
    return reply;
}

const std::vector<HostileReply>& HostileReplies()
{
    static const std::vector<HostileReply> replies = {
        {"stall after the headers",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(target.content);
             reply.StallAfterHeadMs = 120000;
             return reply;
         }},
        {"trickle",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(target.content + std::string(2000, ' '));
             reply.TrickleBytes = 1;
             reply.TrickleDelayMs = 100;
             return reply;
         }},
        {"reset mid-body",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(target.content + std::string(5000, ' '));
             reply.CloseAfter = 1000;
             reply.Reset = true;
             return reply;
         }},
        {"body past the size limit",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(target.content + std::string(target.sizeLimit, ' '));
             reply.SendContentLength = false;
             return reply;
         }},
        {"gzip bomb",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(Gzip(target.content + std::string(target.sizeLimit + (64 << 20), ' ')));
             reply.Headers = {"Content-Encoding: gzip"};
             return reply;
         }},
        // A few KiB that inflate to a line end per byte: a client that splits it into lines
        // makes millions of strings.
        {"gzip of 16 MiB of line ends",
         [](const HostileTarget&) {
             ScriptedReply reply = Reply(Gzip(std::string(16 << 20, '\n')));
             reply.Headers = {"Content-Encoding: gzip"};
             return reply;
         },
         false, true},
        {"binary garbage", [](const HostileTarget&) { return Raw(BinaryGarbage()); }, false, true},
        {"stall just before the time runs out", StallJustBeforeTheTimeRunsOut},
        {"endless header line",
         [](const HostileTarget&) { return Raw("HTTP/1.0 200 OK\r\nX-Filler: ", true); }},
        {"header line trickled", [](const HostileTarget&) { return TrickledHead(); }},
        {"chunk-size line trickled", [](const HostileTarget& target) { return TrickledChunkSize(target.content); }},
        {"redirect to a new trickling port", RedirectToNewTricklingPort},
        {"redirect loop", [](const HostileTarget& target) { return Redirect(target.address); }},
        {"redirect to a file", [](const HostileTarget& target) { return Redirect(target.localAddress); }},
        {"redirect to ftp",
         [](const HostileTarget& target) {
             return Redirect("ftp://127.0.0.1:" + std::to_string(target.port) + "/file");
         }},
        {"1 GB length, short body",
         [](const HostileTarget& target) {
             ScriptedReply reply = Reply(target.content);
             reply.Headers = {"Content-Length: 1073741824"};
             reply.SendContentLength = false;
             return reply;
         }},
        {"not found", [](const HostileTarget& target) { return Refusal(404, "Not Found", target.content); }, true},
        {"server error",
         [](const HostileTarget& target) { return Refusal(500, "Internal Server Error", target.content); }, true},
        {"silent after the request",
         [](const HostileTarget&) {
             ScriptedReply reply;
             reply.StallMs = 120000;
             return reply;
         }},
        {"hang-up without a reply",
         [](const HostileTarget&) {
             ScriptedReply reply;
             reply.CloseWithoutReply = true;
             return reply;
         }},
    };
    return replies;
}

LocalFile::LocalFile(const std::string& content)
{
    static std::atomic<int> counter{0};
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = folder + std::wstring(L"soriel-hostile-") + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L".txt";
    WriteFileAtomically(path_, content);
}

LocalFile::~LocalFile() { DeleteFileW(path_.c_str()); }

std::string LocalFile::Url() const
{
    std::string url = "file:///" + Narrow(path_);
    for (char& c : url)
        if (c == '\\')
            c = '/';
    return url;
}
