#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// What a client sent: the request line, the header lines and the body bytes.
struct RecordedRequest {
    std::string RequestLine;
    std::string Target;
    std::vector<std::string> Headers;
    std::string Body;

    // Value of the first header of that name (any case), empty when absent.
    std::string Header(std::string_view name) const;
};

// How to answer one request.
struct ScriptedReply {
    int Status = 200;
    std::string Reason = "OK";
    std::vector<std::string> Headers; // extra header lines, without line ends
    std::string Body;
    bool SendContentLength = true;
    std::optional<size_t> CloseAfter; // body bytes sent before the connection is dropped
    bool CloseWithoutReply = false;   // drop the connection after reading the request
    unsigned StallMs = 0;             // wait before answering (cut short when the server stops)
    size_t TrickleBytes = 0;          // when set: body (or endless filler) sent in pieces of this size...
    unsigned TrickleDelayMs = 0;      // ...with this pause after each piece
    unsigned StallAfterHeadMs = 0;    // wait between the header lines and the body
    unsigned StallAtMs = 0;           // when set: a trickled body stops this long after the reply began
    bool Reset = false;               // the connection ends with a reset, not a close
    // Sent as it stands instead of status line, headers and body...
    std::optional<std::string> Raw;
    // ...followed by 'x' bytes for as long as the client takes them (at most 1 GB).
    bool EndlessAfterRaw = false;
};

enum class GzipHeader { Plain, WithTimeStamp, WithFileName };

// A gzip member made by zlib; Plain has no flags and time stamp 0.
std::string Gzip(std::string_view data, GzipHeader header = GzipHeader::Plain);

// The body served under the request's target, or a 404 for any other target.
ScriptedReply ServedOrNotFound(const std::map<std::string, std::string>& bodies, const std::string& target);

// An HTTP server on 127.0.0.1 inside the test program, one thread per connection.
// Each connection carries one request and is closed after the reply.
class ScriptedHttpServer {
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    ScriptedHttpServer();
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    unsigned short Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(std::string_view path = "/") const;

    // Replies come from the handler when one is set, else the standing reply.
    void SetReply(ScriptedReply reply);
    void SetHandler(Handler handler);

    std::vector<RecordedRequest> Requests() const;
    size_t RequestCount() const;
    RecordedRequest LastRequest() const;
    bool WaitForRequests(size_t count, unsigned timeoutMs) const;

private:
    struct Connection;

    void AcceptLoop();
    void Serve(uintptr_t socket);
    void Answer(uintptr_t socket, const ScriptedReply& reply);
    ScriptedReply NextReply(const RecordedRequest& request);
    bool PauseFor(unsigned milliseconds);
    void ReapFinished();

    uintptr_t listener_;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<RecordedRequest> requests_;
    Handler handler_;
    ScriptedReply reply_;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::thread acceptThread_;
};
