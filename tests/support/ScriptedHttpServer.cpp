#include "ScriptedHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace {

std::string Lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool SendAll(SOCKET socket, std::string_view bytes)
{
    while (!bytes.empty()) {
        int sent = send(socket, bytes.data(), int(std::min<size_t>(bytes.size(), 64 * 1024)), 0);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(size_t(sent));
    }
    return true;
}

// Reads one request: header lines up to the empty line, then Content-Length body bytes.
std::optional<RecordedRequest> ReadRequest(SOCKET socket)
{
    std::string data;
    char chunk[4096];
    size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        int got = recv(socket, chunk, sizeof chunk, 0);
        if (got <= 0)
            return std::nullopt;
        data.append(chunk, size_t(got));
        // Not a request line (a TLS hello, say): nothing to answer.
        if (!std::isupper(static_cast<unsigned char>(data.front())))
            return std::nullopt;
    }
    RecordedRequest request;
    std::string_view head = std::string_view(data).substr(0, headerEnd);
    size_t lineEnd = head.find("\r\n");
    request.RequestLine = std::string(head.substr(0, lineEnd));
    while (lineEnd != std::string_view::npos) {
        head.remove_prefix(lineEnd + 2);
        lineEnd = head.find("\r\n");
        request.Headers.emplace_back(head.substr(0, lineEnd));
    }
    size_t firstBlank = request.RequestLine.find(' ');
    size_t secondBlank = request.RequestLine.find(' ', firstBlank + 1);
    request.Target = request.RequestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);

    std::string length = request.Header("Content-Length");
    size_t bodySize = length.empty() ? 0 : size_t(std::stoull(length));
    request.Body = data.substr(headerEnd + 4);
    while (request.Body.size() < bodySize) {
        int got = recv(socket, chunk, sizeof chunk, 0);
        if (got <= 0)
            return std::nullopt;
        request.Body.append(chunk, size_t(got));
    }
    return request;
}

} // namespace

std::string RecordedRequest::Header(std::string_view name) const
{
    const std::string wanted = Lower(name) + ":";
    for (const std::string& line : Headers) {
        if (Lower(line).rfind(wanted, 0) == 0) {
            size_t value = line.find_first_not_of(' ', wanted.size());
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    }
    return {};
}

std::string Gzip(std::string_view data, GzipHeader header)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    gz_header gzipHeader{};
    char fileName[] = "news.html";
    if (header == GzipHeader::WithTimeStamp)
        gzipHeader.time = 1700000000;
    if (header == GzipHeader::WithFileName)
        gzipHeader.name = reinterpret_cast<Bytef*>(fileName);
    deflateSetHeader(&stream, &gzipHeader);
    std::string output(deflateBound(&stream, uLong(data.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = uInt(output.size());
    int result = deflate(&stream, Z_FINISH);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return output;
}

struct ScriptedHttpServer::Connection {
    std::thread thread;
    std::atomic<bool> done{false};
};

ScriptedHttpServer::ScriptedHttpServer()
{
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("scripted server: cannot listen on loopback");
    listener_ = listener;
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    acceptThread_.join();
    closesocket(SOCKET(listener_));
    for (auto& connection : connections_)
        connection->thread.join();
    WSACleanup();
}

std::string ScriptedHttpServer::Url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void ScriptedHttpServer::SetReply(ScriptedReply reply)
{
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
}

void ScriptedHttpServer::SetHandler(Handler handler)
{
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<RecordedRequest> ScriptedHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t ScriptedHttpServer::RequestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_.size();
}

RecordedRequest ScriptedHttpServer::LastRequest() const
{
    std::lock_guard lock(mutex_);
    return requests_.empty() ? RecordedRequest{} : requests_.back();
}

bool ScriptedHttpServer::WaitForRequests(size_t count, unsigned timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= count; });
}

void ScriptedHttpServer::AcceptLoop()
{
    while (!stopping_) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(SOCKET(listener_), &ready);
        timeval wait{0, 50 * 1000};
        if (select(0, &ready, nullptr, nullptr, &wait) <= 0)
            continue;
        SOCKET client = accept(SOCKET(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        ReapFinished();
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        connection->thread = std::thread([this, client, raw] {
            Serve(client);
            raw->done = true;
        });
        connections_.push_back(std::move(connection));
    }
}

void ScriptedHttpServer::ReapFinished()
{
    auto finished = std::stable_partition(connections_.begin(), connections_.end(),
                                          [](const auto& connection) { return !connection->done; });
    for (auto it = finished; it != connections_.end(); ++it)
        (*it)->thread.join();
    connections_.erase(finished, connections_.end());
}

ScriptedReply ScriptedHttpServer::NextReply(const RecordedRequest& request)
{
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        if (!handler_)
            return reply_;
        handler = handler_;
    }
    return handler(request);
}

bool ScriptedHttpServer::PauseFor(unsigned milliseconds)
{
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_.load(); });
}

void ScriptedHttpServer::Serve(uintptr_t rawSocket)
{
    SOCKET socket = SOCKET(rawSocket);
    DWORD timeout = 10000;
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    // A client that stops reading cannot hold a send, and so the server's end, for long.
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    ScriptedReply reply;
    if (std::optional<RecordedRequest> request = ReadRequest(socket)) {
        reply = NextReply(*request);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(*request);
        }
        changed_.notify_all();
        if (PauseFor(reply.StallMs) && !reply.CloseWithoutReply)
            Answer(socket, reply);
    }
    if (reply.Reset) {
        linger abort{1, 0};
        setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    } else {
        shutdown(socket, SD_SEND);
    }
    closesocket(socket);
}

void ScriptedHttpServer::Answer(uintptr_t rawSocket, const ScriptedReply& reply)
{
    SOCKET socket = SOCKET(rawSocket);
    if (reply.Raw) {
        const std::string filler(reply.TrickleBytes == 0 ? 64 * 1024 : reply.TrickleBytes, 'x');
        bool open = SendAll(socket, *reply.Raw);
        for (size_t sent = 0; reply.EndlessAfterRaw && open && !stopping_ && sent < (size_t(1) << 30);
             sent += filler.size())
            open = SendAll(socket, filler) && PauseFor(reply.TrickleDelayMs);
        return;
    }
    std::string head = "HTTP/1.0 " + std::to_string(reply.Status) + " " + reply.Reason + "\r\n";
    for (const std::string& line : reply.Headers)
        head += line + "\r\n";
    if (reply.SendContentLength)
        head += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    std::string_view body = reply.Body;
    if (reply.CloseAfter)
        body = body.substr(0, *reply.CloseAfter);
    bool open = SendAll(socket, head) && PauseFor(reply.StallAfterHeadMs);
    if (reply.TrickleBytes == 0) {
        open = open && SendAll(socket, body);
    } else {
        const ULONGLONG began = GetTickCount64();
        while (open && !body.empty()) {
            if (reply.StallAtMs != 0 && GetTickCount64() - began >= reply.StallAtMs) {
                PauseFor(120000);
                return;
            }
            open = SendAll(socket, body.substr(0, reply.TrickleBytes)) && PauseFor(reply.TrickleDelayMs);
            body.remove_prefix(std::min(body.size(), reply.TrickleBytes));
        }
    }
}

ScriptedReply ServedOrNotFound(const std::map<std::string, std::string>& bodies, const std::string& target)
{
    const auto found = bodies.find(target);
    return found == bodies.end() ? ScriptedReply{.Status = 404, .Reason = "Not Found"}
                                 : ScriptedReply{.Body = found->second};
}
