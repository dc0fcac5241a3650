#include "WebTransfer.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "AsciiCase.h"
#include "Gzip.h"
#include "InternetSession.h"
#include "Text.h"

namespace {

// One header value; index advances to the next of its kind. Grows the buffer as needed.
bool QueryText(HINTERNET request, DWORD info, DWORD* index, std::string& text)
{
    std::wstring buffer(5000 / sizeof(wchar_t), L'\0');
    for (;;) {
        DWORD size = DWORD(buffer.size() * sizeof(wchar_t));
        if (HttpQueryInfoW(request, info, buffer.data(), &size, index)) {
            buffer.resize(size / sizeof(wchar_t));
            text = Narrow(buffer);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buffer.resize(size / sizeof(wchar_t) + 1);
    }
}

// An address without a scheme is taken as http.
std::string WithScheme(const std::string& url) { return url.find("://") == std::string::npos ? "http://" + url : url; }

// The part after "#" names a place in the page: it stays with the reader.
std::string RequestTarget(const WebAddress& address)
{
    return address.path + address.extraInfo.substr(0, address.extraInfo.find('#'));
}

bool IsRedirect(unsigned status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// 307 and 308 ask for the same request again. 303 asks for a GET, and a POST answered
// with 301 or 302 continues as one, as browsers do; a HEAD stays a HEAD.
bool ContinuesAsGet(unsigned status, const std::string& verb)
{
    if (verb == "GET" || verb == "HEAD")
        return false;
    return status == 303 || ((status == 301 || status == 302) && verb == "POST");
}

bool Location(HINTERNET request, std::string& location)
{
    DWORD index = 0;
    return QueryText(request, HTTP_QUERY_LOCATION, &index, location) && !location.empty();
}

[[noreturn]] void Fail(TransferFailure failure, const std::string& message) { throw TransferError(failure, message); }

std::string LastErrorText() { return InternetErrorText(GetLastError()); }

// The absolute address a Location header names, read against the address it came from.
std::string CombineUrl(const std::string& base, const std::string& location)
{
    const std::wstring wideBase = Widen(base), wideLocation = Widen(location);
    DWORD length = 0;
    InternetCombineUrlW(wideBase.c_str(), wideLocation.c_str(), nullptr, &length, ICU_NO_ENCODE);
    std::wstring combined(size_t(length) + 1, L'\0');
    length = DWORD(combined.size());
    if (!InternetCombineUrlW(wideBase.c_str(), wideLocation.c_str(), combined.data(), &length, ICU_NO_ENCODE))
        Fail(TransferFailure::Address, "HTTP: Invalid URL. Error - " + LastErrorText());
    combined.resize(length);
    return Narrow(combined);
}

std::string ServerOf(const WebAddress& address) { return ToLower(address.host) + ":" + std::to_string(address.port); }

} // namespace

std::string InternetErrorText(DWORD code)
{
    // WinInet's own codes have their texts in wininet.dll, not among the system's.
    const bool wininet = code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_BASE + 999;
    return std::to_string(code) + " = " +
           (wininet ? ModuleErrorMessage(code, L"wininet.dll") : SystemErrorMessage(code));
}

bool WebAddress::SameServer(const WebAddress& other) const
{
    return secure == other.secure && port == other.port && ToLower(host) == ToLower(other.host);
}

std::string EscapePlus(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '+')
            result += "%2B";
        else
            result += c;
    }
    return result;
}

WebAddress ParseWebAddress(const std::string& url)
{
    std::wstring wide = Widen(WithScheme(url));
    // Room for every part even if each character came out escaped.
    const DWORD capacity = DWORD(3 * wide.size() + 1);
    std::wstring host(capacity, L'\0'), path(capacity, L'\0'), extra(capacity, L'\0'), user(capacity, L'\0'),
        password(capacity, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = capacity;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = capacity;
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = capacity;
    parts.lpszUserName = user.data();
    parts.dwUserNameLength = capacity;
    parts.lpszPassword = password.data();
    parts.dwPasswordLength = capacity;
    if (!InternetCrackUrlW(wide.c_str(), DWORD(wide.size()), ICU_ESCAPE, &parts))
        Fail(TransferFailure::Address, "HTTP: Invalid URL. Error - " + LastErrorText());
    WebAddress address;
    address.host = Narrow(std::wstring_view(host.data(), parts.dwHostNameLength));
    address.path = Narrow(std::wstring_view(path.data(), parts.dwUrlPathLength));
    address.extraInfo = EscapePlus(Narrow(std::wstring_view(extra.data(), parts.dwExtraInfoLength)));
    address.userName = Narrow(std::wstring_view(user.data(), parts.dwUserNameLength));
    address.password = Narrow(std::wstring_view(password.data(), parts.dwPasswordLength));
    address.port = parts.nPort;
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS || parts.nPort == INTERNET_DEFAULT_HTTPS_PORT;
    address.web = parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS;
    return address;
}

std::string WithProxyCredentials(const std::string& address, const std::string& user, const std::string& password)
{
    if (user.empty() || ToUpper(address.substr(0, 7)) != "HTTP://")
        return address;
    return "http://" + user + ":" + password + "@" + address.substr(7);
}

void CheckRedirectTarget(const WebAddress& from, const WebAddress& next, const std::string& url)
{
    // Anything else (file:, ftp:) could hand over a local file or another protocol.
    if (!next.web)
        Fail(TransferFailure::Redirect, "HTTP: redirection to an address that is not http or https: " + url);
    // What went encrypted is not sent again in the clear.
    if (from.secure && !next.secure)
        Fail(TransferFailure::Redirect, "HTTP: redirection from https to http: " + url);
}

WebTransfer::WebTransfer(WebRequest request, TransferGuard& guard) : request_(std::move(request)), guard_(guard)
{
    const WebAddress address = ParseWebAddress(request_.url);
    if (request_.userName.empty()) {
        request_.userName = address.userName;
        request_.password = address.password;
    }
    if (!request_.session) {
        ownSession_ = OpenSession(request_.agent, {}, request_.stepTimeoutMs);
        if (!ownSession_)
            Fail(TransferFailure::Open, "Could not open Internet");
        request_.session = ownSession_.Get();
    }
    guard_.Check();
    Send(address, request_.target.empty() ? RequestTarget(address) : request_.target, true);
    FollowRedirects(address);
    announced_ = QueryNumber(handle_.Get(), HTTP_QUERY_CONTENT_LENGTH);
}

void WebTransfer::Send(const WebAddress& address, const std::string& target, bool withCredentials)
{
    handle_.Reset();
    const bool credentials = withCredentials && !request_.userName.empty();
    const std::wstring user = Widen(request_.userName), password = Widen(request_.password);
    connection_.Reset(InternetConnectW(request_.session, Widen(address.host).c_str(), address.port,
                                       credentials ? user.c_str() : nullptr, credentials ? password.c_str() : nullptr,
                                       INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_)
        Fail(TransferFailure::Connect, "Could not connect to server " + address.host);

    // Redirections are followed here, where the policy decides where to. No cache, WinInet's
    // or a proxy's, answers in the server's place: a 304 reaches the caller, a changed file
    // is never an old copy.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (address.secure)
        flags |= INTERNET_FLAG_SECURE;
    if (request_.keepConnection)
        flags |= INTERNET_FLAG_KEEP_CONNECTION;
    const std::wstring version = Widen(request_.httpVersion);
    SetLastError(0);
    handle_.Reset(HttpOpenRequestW(connection_.Get(), Widen(request_.verb).c_str(), Widen(target).c_str(),
                                   version.empty() ? nullptr : version.c_str(), nullptr, nullptr, flags, 0));
    const DWORD openError = GetLastError();
    if (openError != ERROR_SUCCESS && openError != ERROR_INSUFFICIENT_BUFFER && openError != ERROR_ALREADY_EXISTS)
        Fail(TransferFailure::Open, InternetErrorText(openError));
    if (!handle_)
        Fail(TransferFailure::Open, "Could not open HTTP request");
    // Wine takes the time-outs from the request itself only.
    SetInternetTimeouts(handle_.Get(), StepTimeoutMs());

    server_ = ServerOf(address);
    if (!SendAndWait(address))
        Fail(TransferFailure::Send, "HTTP: sending the request failed. Error - " + LastErrorText());
    status_ = QueryNumber(handle_.Get(), HTTP_QUERY_STATUS_CODE);
    if (status_ == 0)
        Fail(TransferFailure::NoReply, "HTTP: no valid reply from server " + address.host);
}

DWORD WebTransfer::StepTimeoutMs() const
{
    // 0 would be no time-out at all; a step with nothing left is refused by the guard anyway.
    return DWORD(std::clamp<uint64_t>(guard_.MsLeft(), 1, request_.stepTimeoutMs));
}

void WebTransfer::Call(std::function<void()> call, TransferFailure failure)
{
    if (!calls_.Ready())
        Fail(failure, "HTTP: no thread for the request");
    calls_.Run(server_, std::move(call), [this] {
        if (request_.whileWaiting)
            request_.whileWaiting();
        guard_.Check();
    });
}

bool WebTransfer::SendAndWait(const WebAddress& address)
{
    switch (CallThread::RoomFor(server_)) {
    case CallThread::Room::Free:
        break;
    case CallThread::Room::ServerFull:
        Fail(TransferFailure::Send, "HTTP: too many requests given up on are still waiting for server " + address.host);
    case CallThread::Room::AllFull:
        Fail(TransferFailure::Send, "HTTP: too many requests given up on are still waiting for their servers");
    }
    struct Sending {
        std::wstring headers;
        std::string body;
        BOOL sent = FALSE;
        DWORD error = 0;
    };
    const auto sending = std::make_shared<Sending>(Widen(request_.headers + request_.conditions), request_.body);
    Call(
        [sending, request = handle_.Get()] {
            const std::wstring& headers = sending->headers;
            std::string& body = sending->body;
            sending->sent = HttpSendRequestW(request, headers.empty() ? nullptr : headers.c_str(),
                                             DWORD(headers.size()), body.empty() ? nullptr : body.data(),
                                             DWORD(body.size()));
            sending->error = GetLastError();
        },
        TransferFailure::Send);
    SetLastError(sending->error);
    return sending->sent;
}

void WebTransfer::WaitForBytes()
{
    struct Waiting {
        DWORD available = 0;
        BOOL answered = FALSE;
        DWORD error = 0;
    };
    const auto waiting = std::make_shared<Waiting>();
    SetReceiveTimeout(handle_.Get(), StepTimeoutMs());
    Call(
        [waiting, request = handle_.Get()] {
            waiting->answered = InternetQueryDataAvailable(request, &waiting->available, 0, 0);
            waiting->error = GetLastError();
        },
        TransferFailure::Read);
    if (!waiting->answered) {
        // A wait that timed out as the transfer's time ran out ends it for that.
        guard_.Check();
        Fail(TransferFailure::Read, "HTTP: reading the reply failed. Error - " + InternetErrorText(waiting->error));
    }
    arrived_ = waiting->available;
}

size_t WebTransfer::ReadArrivedBytes(char* buffer, size_t size)
{
    if (arrived_ == 0)
        WaitForBytes();
    // What has arrived is read at once; nothing has only at the reply's end.
    const DWORD asked = arrived_ == 0 ? DWORD(size) : DWORD(std::min<size_t>(arrived_, size));
    DWORD count = 0;
    if (!InternetReadFile(handle_.Get(), buffer, asked, &count))
        Fail(TransferFailure::Read, "HTTP: reading the reply failed. Error - " + LastErrorText());
    arrived_ -= std::min<DWORD>(arrived_, count);
    return count;
}

void WebTransfer::FollowRedirects(const WebAddress& first)
{
    finalUrl_ = request_.url;
    std::string url = WithScheme(request_.url);
    WebAddress from = first;
    std::string location;
    for (unsigned redirects = 0; IsRedirect(status_) && Location(handle_.Get(), location); ++redirects) {
        if (redirects == MaxRedirects)
            Fail(TransferFailure::Redirect, "HTTP: more than " + std::to_string(MaxRedirects) + " redirections");
        url = CombineUrl(url, location);
        WebAddress next = ParseWebAddress(url);
        CheckRedirectTarget(from, next, url);
        guard_.Check();
        if (ContinuesAsGet(status_, request_.verb)) {
            request_.verb = "GET";
            request_.headers.clear();
            request_.body.clear();
        }
        request_.conditions.clear();
        // The credentials belong to the server they were given for, not to any it names.
        Send(next, RequestTarget(next), next.SameServer(first));
        finalUrl_ = url;
        from = std::move(next);
    }
}

std::vector<std::string> WebTransfer::HeaderValues(DWORD info) const
{
    std::vector<std::string> values;
    std::string text;
    for (DWORD index = 0; QueryText(handle_.Get(), info, &index, text);)
        values.push_back(text);
    return values;
}

std::string WebTransfer::RawHead() const
{
    std::string text;
    DWORD index = 0;
    return QueryText(handle_.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, &index, text) ? text : std::string();
}

void WebTransfer::Receive(const BlockSink& sink, const BlockHandler& onBlock)
{
    // Nothing asked for a coding: a coded reply would put other bytes than the file's in its place.
    for (const std::string& coding : HeaderValues(HTTP_QUERY_CONTENT_ENCODING))
        if (ToLower(coding) != "identity")
            Fail(TransferFailure::Encoded, "HTTP: a reply in the content coding " + coding);
    ReceiveBody(sink, onBlock);
}

void WebTransfer::ReceiveBody(const BlockSink& sink, const BlockHandler& onBlock)
{
    // The guard may hold bytes already: those a resumed download had before this reply.
    const uint64_t before = guard_.Total();
    guard_.CheckAnnounced(before + announced_);
    const auto read = [this](char* buffer, size_t size) { return ReadArrivedBytes(buffer, size); };
    MoveBlocks(guard_, request_.readBlock, read, sink, onBlock, [this, before] {
        if (announced_ != 0 && guard_.Total() - before != announced_)
            Fail(TransferFailure::Cut, "HTTP: the reply ended after " + std::to_string(guard_.Total() - before) +
                                           " of " + std::to_string(announced_) + " bytes");
    });
}

std::string WebTransfer::ReceiveAll(const BlockHandler& onBlock)
{
    std::string body;
    ReceiveBody(
        [&body](std::string_view block) {
            body.append(block);
            return true;
        },
        onBlock);
    if (!HasPlainGzipSignature(body))
        return body;
    TMemoryStream inflated;
    try {
        InflateGzip(body, inflated, size_t(guard_.MaxBytes()));
    } catch (const Exception& error) {
        throw TransferError(TransferFailure::Inflate, error.what());
    }
    return std::string(inflated.View());
}
