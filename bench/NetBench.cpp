// Cost of one news poll next to a bare loop of WinInet reads plus zlib inflation of the
// same bytes. Each measurement runs in a child process of its own, so that its peak
// working set is its own.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "HTTPRequest.h"
#include "InternetHandle.h"
#include "ProcessMemory.h"
#include "NewsPoller.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

struct Result {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMiB = 0;
};

// A news page of about the given size: the item row first, then varied table rows.
std::string NewsPage(size_t size)
{
    static const char* words[] = {"zprava", "porad", "divaci", "soutez", "vysilani", "host", "dnes", "vecer",
                                  "studio", "reportaz", "hudba", "film", "serial", "pocasi", "sport", "kultura"};
    std::string page = "<table>\r\n       <td class=\"date\">14:35</td>\r\n<td>Nov%C3%A1%20zpr%C3%A1va</td>\r\n";
    unsigned seed = 12345;
    while (page.size() < size) {
        page += "<tr><td>";
        for (int w = 0; w < 10; ++w) {
            seed = seed * 1103515245 + 12345;
            page += words[(seed >> 16) % 16];
            page += ' ';
            page += std::to_string((seed >> 8) % 1000);
            page += ' ';
        }
        page += "</td></tr>\r\n";
    }
    page.resize(size);
    return page;
}

double PeakMiB()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double WorkingSetMiB()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// What a plain program would do: read in 1024-byte pieces, inflate when gzip. With
// takeAvailable each read asks only for what has arrived, as the component does.
size_t BareFetch(const std::string& url, bool gzip, bool takeAvailable)
{
    InternetHandle root(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    URL_COMPONENTSW parts{};
    wchar_t host[256], path[1024];
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 1024;
    std::wstring wide = Widen(url);
    InternetCrackUrlW(wide.c_str(), 0, 0, &parts);
    InternetHandle connection(
        InternetConnectW(root.Get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle request(HttpOpenRequestW(connection.Get(), L"GET", path, L"HTTP/1.0", nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD, 0));
    HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0);
    std::string body;
    char buffer[1024];
    for (;;) {
        DWORD available = sizeof buffer;
        DWORD read = 0;
        if (takeAvailable && (!InternetQueryDataAvailable(request.Get(), &available, 0, 0) || available == 0))
            available = sizeof buffer;
        if (!InternetReadFile(request.Get(), buffer, std::min<DWORD>(available, sizeof buffer), &read) || read == 0)
            break;
        body.append(buffer, read);
    }
    if (!gzip)
        return body.size();
    z_stream stream{};
    inflateInit2(&stream, 16 + MAX_WBITS);
    std::string output;
    char chunk[64 * 1024];
    stream.next_in = reinterpret_cast<Bytef*>(body.data());
    stream.avail_in = uInt(body.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        output.append(chunk, sizeof chunk - stream.avail_out);
    }
    inflateEnd(&stream);
    return output.size();
}

// A plain gzip member (no flags, time 0) of `size` line ends, made a block at a time so that
// the 16 MiB it stands for are never held here.
std::string GzipOfLineEnds(size_t size)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    const std::string block(64 * 1024, '\n');
    std::string output;
    char chunk[16 * 1024];
    for (size_t fed = 0; fed < size;) {
        const size_t piece = std::min(block.size(), size - fed);
        fed += piece;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        stream.avail_in = uInt(piece);
        const int flush = fed == size ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(chunk);
            stream.avail_out = sizeof chunk;
            deflate(&stream, flush);
            output.append(chunk, sizeof chunk - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return output;
}

// One poll of a 16 KiB reply that inflates to 16 MiB of line ends; prints the peak resident
// memory before and after it, and the fetch status the poll left.
int RunLineEndsPoll()
{
    ScriptedHttpServer server;
    ScriptedReply reply;
    reply.Body = GzipOfLineEnds(16 * 1024 * 1024);
    server.SetReply(reply);
    const auto state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker, abandoned;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const double before = PeakResidentMiB(self, GetCurrentProcess());
    StartPoll(worker, abandoned, state, server.Url("/index.php/zpravodajstvy"));
    worker->WaitFor();
    const double after = PeakResidentMiB(self, GetCurrentProcess());
    std::printf("reply %zu bytes; peak resident %.1f MiB before the poll, %.1f MiB after it; fetch status %d\n",
                reply.Body.size(), before, after, int(state->Snapshot().FetchStatus));
    return 0;
}

// One measurement in this process: prints "wall cpu peak".
enum class Method { Poll, Request, Bare, BareAvailable };

int RunCase(size_t size, bool gzip, Method method, int repeats)
{
    const std::string page = NewsPage(size);
    ScriptedHttpServer server;
    ScriptedReply reply;
    reply.Body = gzip ? Gzip(page) : page;
    server.SetReply(reply);
    const std::string url = server.Url("/index.php/zpravodajstvy");

    const auto state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker, abandoned;
    auto once = [&] {
        if (method == Method::Poll) {
            StartPoll(worker, abandoned, state, url);
            worker->WaitFor();
            worker.reset();
        } else if (method == Method::Request) {
            THTTPRequest request(nullptr);
            request.ExecuteURL(url);
        } else if (BareFetch(url, gzip, method == Method::BareAvailable) != page.size()) {
            std::fprintf(stderr, "bare fetch got a wrong size\n");
            std::exit(2);
        }
    };
    once();
    const LatestItem found = state->Snapshot();
    if (method == Method::Poll && (!found.Rows || found.Rows->front().text != "Nov%C3%A1%20zpr%C3%A1va")) {
        std::fprintf(stderr, "poll did not find the item\n");
        return 2;
    }
    const double baseMiB = WorkingSetMiB();
    std::vector<double> walls;
    const double cpuStart = CpuMs();
    for (int i = 0; i < repeats; ++i) {
        const double start = NowMs();
        once();
        walls.push_back(NowMs() - start);
    }
    const double cpu = (CpuMs() - cpuStart) / repeats;
    std::printf("%.3f %.3f %.2f\n", Median(walls), cpu, PeakMiB() - baseMiB);
    return 0;
}

Result RunChild(size_t size, bool gzip, const wchar_t* method, int repeats)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + std::to_wstring(size) + (gzip ? L" gzip " : L" plain ") +
                           method + L" " + std::to_wstring(repeats);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    KernelHandle readPipe(readEnd), writePipe(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start the measuring process\n");
        std::exit(1);
    }
    KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writePipe.Reset();
    std::string output;
    char buffer[256];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    WaitForSingleObject(process.hProcess, INFINITE);
    Result result;
    if (std::sscanf(output.c_str(), "%lf %lf %lf", &result.wallMs, &result.cpuMs, &result.peakMiB) != 3) {
        std::fprintf(stderr, "measuring process failed\n");
        std::exit(1);
    }
    return result;
}

void PrintRow(const char* name, const Result& r, const Result& poll)
{
    std::printf("  %-22s %9.2f ms %9.2f ms %8.2f MiB   poll/this: wall %5.2fx cpu %5.2fx peak %5.2fx\n", name, r.wallMs,
                r.cpuMs, r.peakMiB, poll.wallMs / r.wallMs, poll.cpuMs / std::max(r.cpuMs, 0.01),
                poll.peakMiB / std::max(r.peakMiB, 0.01));
}

// What crossed the wire for requests of one address and status, per request, from an
// access log whose lines are "address status request_length bytes_sent accept_encoding".
struct WireBytes {
    double request = 0;
    double reply = 0;
    int requests = 0;
    std::string acceptEncoding;
};

WireBytes BytesPerRequest(const std::string& log, const std::string& uri, int status)
{
    WireBytes bytes;
    size_t start = 0;
    while (start < log.size()) {
        const size_t end = std::min(log.find('\n', start), log.size());
        char logged[512] = {}, encoding[128] = {};
        int loggedStatus = 0;
        double request = 0, reply = 0;
        if (std::sscanf(log.substr(start, end - start).c_str(), "%511s %d %lf %lf %127s", logged, &loggedStatus,
                        &request, &reply, encoding) >= 4 &&
            logged == uri && loggedStatus == status) {
            bytes.request += request;
            bytes.reply += reply;
            ++bytes.requests;
            bytes.acceptEncoding = encoding;
        }
        start = end + 1;
    }
    if (bytes.requests > 0) {
        bytes.request /= bytes.requests;
        bytes.reply /= bytes.requests;
    }
    return bytes;
}

// Polls of a 200 KiB page served by nginx: without compression, with gzip, and with gzip
// and the validators of the page (each poll after the first then an unchanged one, 304):
// what the poll sent and the server sent back per poll, from the server's access log.
int CompareWithNginx(const std::string& baseUrl, const std::wstring& root, const std::wstring& accessLog)
{
    const std::string page = NewsPage(200 * 1024);
    for (const wchar_t* folder : {L"plain", L"gzip"}) {
        CreateDirectoryW((root + folder).c_str(), nullptr);
        FileHandle file(CreateFileW((root + folder + L"\\news.html").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.Get(), page.data(), DWORD(page.size()), &written, nullptr);
    }
    const int polls = 20;
    const auto state = std::make_shared<TLatestItemState>();
    std::unique_ptr<TSR> worker, abandoned;
    const std::string conditionalUri = "/gzip/news.html?validators";
    for (const std::string uri : {"/plain/news.html", "/gzip/news.html", conditionalUri.c_str()}) {
        // Without memory each poll is a whole fetch; with it, the first one keeps the
        // validators and the others send them.
        const auto memory = uri == conditionalUri ? std::make_shared<TPollMemory>(30000) : nullptr;
        for (int i = 0; i <= polls; ++i) {
            StartPoll(worker, abandoned, state, baseUrl + uri, PollGiveUpAfterMs, memory);
            worker->WaitFor();
            worker.reset();
            const LatestItem item = state->Snapshot();
            if (item.FetchStatus != 1 || !item.Rows || item.Rows->front().text != "Nov%C3%A1%20zpr%C3%A1va") {
                std::fprintf(stderr, "a poll of %s did not find the item\n", uri.c_str());
                return 2;
            }
            if (!memory)
                state->Reset();
            state->SetFetchStatus(0);
        }
    }
    Sleep(500); // nginx writes its log line after the reply
    FileHandle file(CreateFileW(accessLog.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string log(1 << 20, '\0');
    DWORD read = 0;
    ReadFile(file.Get(), log.data(), DWORD(log.size()), &read, nullptr);
    log.resize(read);
    const WireBytes plain = BytesPerRequest(log, "/plain/news.html", 200);
    const WireBytes gzip = BytesPerRequest(log, "/gzip/news.html", 200);
    const WireBytes unchanged = BytesPerRequest(log, conditionalUri, 304);
    std::printf("Bytes per poll of a 200 KiB page, served by nginx (gzip_http_version 1.0);\n"
                "HTTP bytes as nginx counts them (request line, headers and body each way)\n");
    std::printf("  %-44s %9s %9s %9s\n", "", "request", "reply", "together");
    const struct {
        const char* name;
        const WireBytes& bytes;
    } rows[] = {{"gzip off", plain}, {"gzip on", gzip}, {"gzip on, validators, page unchanged (304)", unchanged}};
    for (const auto& row : rows)
        std::printf("  %-44s %9.0f %9.0f %9.0f   (%d polls)\n", row.name, row.bytes.request, row.bytes.reply,
                    row.bytes.request + row.bytes.reply, row.bytes.requests);
    std::printf("  the poll's Accept-Encoding as nginx saw it: %s\n", gzip.acceptEncoding.c_str());
    return plain.requests > 0 && gzip.requests > 0 && unchanged.requests == polls ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "nginx")
        return CompareWithNginx(argv[2], Widen(argv[3]), Widen(argv[4]));
    if (argc == 2 && std::string(argv[1]) == "lineends")
        return RunLineEndsPoll();
    if (argc == 5) {
        const std::string method = argv[3];
        return RunCase(std::strtoull(argv[1], nullptr, 10), std::string(argv[2]) == "gzip",
                       method == "poll"      ? Method::Poll
                       : method == "request" ? Method::Request
                       : method == "bare"    ? Method::Bare
                                             : Method::BareAvailable,
                       std::atoi(argv[4]));
    }
    struct Case {
        const char* name;
        size_t size;
        int repeats;
    };
    std::printf("%-24s %12s %12s %12s\n", "", "wall", "cpu", "peak");
    for (Case c : {Case{"200 KiB", 200 * 1024, 21}, Case{"2 MiB (the largest page)", MaxNewsPageSize, 5}}) {
        for (bool gzip : {false, true}) {
            std::printf("%s page, %s\n", c.name, gzip ? "gzip" : "plain");
            Result poll = RunChild(c.size, gzip, L"poll", c.repeats);
            PrintRow("poll (TSR body)", poll, poll);
            PrintRow("request only", RunChild(c.size, gzip, L"request", c.repeats), poll);
            PrintRow("bare 1024-byte reads", RunChild(c.size, gzip, L"bare", c.repeats), poll);
            PrintRow("bare reads of arrived", RunChild(c.size, gzip, L"available", c.repeats), poll);
        }
    }
    std::printf("wall: median of the runs; cpu: process CPU per run (the serving thread included on both sides);\n"
                "peak: growth of the peak working set over the working set before the runs.\n");
    return 0;
}
