#include "HTTPRequest.h"

#include <algorithm>
#include <array>
#include <optional>

#include "Exception.h"
#include "FileIO.h"
#include "HTTPRequestFuncs.h"
#include "InternetHandle.h"
#include "Text.h"

namespace {

constexpr size_t ReadBufferSize = 1024;
constexpr size_t MaxVariableName = 255;

// WinInet's own codes have their texts in wininet.dll, not among the system's.
std::string ErrorText(DWORD code)
{
    if (code < INTERNET_ERROR_BASE || code > INTERNET_ERROR_BASE + 999)
        return SystemErrorMessage(code);
    return ModuleErrorMessage(code, L"wininet.dll");
}

std::string SystemError(DWORD code) { return std::to_string(code) + " = " + ErrorText(code); }

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

// The absolute address a Location header names, read against the address it came from.
std::string CombineUrl(const std::string& base, const std::string& location)
{
    const std::wstring wideBase = Widen(base), wideLocation = Widen(location);
    DWORD length = 0;
    InternetCombineUrlW(wideBase.c_str(), wideLocation.c_str(), nullptr, &length, ICU_NO_ENCODE);
    std::wstring combined(size_t(length) + 1, L'\0');
    length = DWORD(combined.size());
    if (!InternetCombineUrlW(wideBase.c_str(), wideLocation.c_str(), combined.data(), &length, ICU_NO_ENCODE))
        throw Exception("HTTP: Invalid URL. Error - " + SystemError(GetLastError()));
    combined.resize(length);
    return Narrow(combined);
}

} // namespace

THTTPRequest::THTTPRequest(TComponent* owner) : TComponent(owner)
{
    SetRequestMethod("GET");
    SetMultipartPOST(false);
}

void THTTPRequest::SetURL(const std::string& url)
{
    url_ = url;
    address_ = url.empty() ? Address{} : ParseAddress(url);
}

bool THTTPRequest::Address::SameServer(const Address& other) const
{
    return secure == other.secure && port == other.port && ToLower(host) == ToLower(other.host);
}

THTTPRequest::Address THTTPRequest::ParseAddress(const std::string& url)
{
    std::wstring wide = Widen(WithScheme(url));
    // Room for every part even if each character came out escaped.
    const DWORD capacity = DWORD(3 * wide.size() + 1);
    std::wstring host(capacity, L'\0'), path(capacity, L'\0'), extra(capacity, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = capacity;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = capacity;
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = capacity;
    if (!InternetCrackUrlW(wide.c_str(), DWORD(wide.size()), ICU_ESCAPE, &parts)) {
        DWORD code = GetLastError();
        throw Exception("HTTP: Invalid URL. Error - " + SystemError(code));
    }
    Address address;
    address.host = Narrow(std::wstring_view(host.data(), parts.dwHostNameLength));
    address.path = Narrow(std::wstring_view(path.data(), parts.dwUrlPathLength));
    address.extraInfo = EscapePlus(Narrow(std::wstring_view(extra.data(), parts.dwExtraInfoLength)));
    address.port = parts.nPort;
    address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS || parts.nPort == INTERNET_DEFAULT_HTTPS_PORT;
    address.web = parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS;
    return address;
}

void THTTPRequest::SetRequestMethod(std::string_view method)
{
    requestMethod_ = ToUpper(method);
    if (requestMethod_ == "POST")
        ContentType = multipartPost_ ? MultipartContentType : FormContentType;
    else if (requestMethod_ == "GET")
        ContentType.clear();
}

void THTTPRequest::SetMultipartPOST(bool multipart)
{
    multipartPost_ = multipart;
    if (multipart)
        SetRequestMethod("POST");
}

void THTTPRequest::ExecuteURL(const std::string& url)
{
    SetURL(url);
    Execute();
}

void THTTPRequest::Execute()
{
    struct ClearVariables {
        std::vector<std::pair<std::string, std::wstring>>& variables;
        ~ClearVariables() { variables.clear(); }
    } clearVariables{multipartVariables_};

    if (url_.empty())
        throw Exception("HTTP: no url in execute method");
    ReplyLines.Clear();
    ReplyStream.Clear();
    Exchange();
    ReplyStream.Rewind();
    if (HasPlainGzipSignature(ReplyStream.View())) {
        TMemoryStream inflated;
        InflateGzip(ReplyStream.View(), inflated);
        ReplyStream = std::move(inflated);
    }
    ReplyStream.Rewind();
    ReplyLines.SetText(ReplyStream.View());
}

std::string THTTPRequest::RequestBody()
{
    if (requestMethod_ == "GET") {
        if (!postStr.empty())
            throw Exception("No poststr allowed in GET method");
        return {};
    }
    std::string body = FormBody(address_.extraInfo, postStr);
    postStr.clear();
    return body;
}

std::string THTTPRequest::HeaderText() const
{
    std::string headers;
    if (!AcceptEncoding.empty())
        headers += "Accept-Encoding: " + AcceptEncoding + "\r\n";
    headers += RequestHeaders;
    if (requestMethod_ == "POST")
        headers += "Content-Type: " + (ContentType.empty() ? std::string(FormContentType) : ContentType) + "\r\n";
    return headers;
}

// What a request sends besides its address; a redirection may change it.
struct THTTPRequest::Outgoing {
    std::string verb;
    std::string header;
    std::string body;
};

// The connection and the request on it; the request closes first.
struct THTTPRequest::SentRequest {
    InternetHandle connection;
    InternetHandle request;
};

THTTPRequest::SentRequest THTTPRequest::Send(void* root, const Address& address, const std::string& target,
                                             Outgoing& outgoing, bool withCredentials)
{
    SentRequest sent;
    const bool credentials = withCredentials && !UserName.empty();
    const std::wstring user = Widen(UserName), password = Widen(Password);
    sent.connection.Reset(InternetConnectW(root, Widen(address.host).c_str(), address.port,
                                           credentials ? user.c_str() : nullptr,
                                           credentials ? password.c_str() : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!sent.connection)
        throw Exception("Could not connect to server " + address.host);

    // Certificates stay checked: no flag here lets a bad one pass. Redirections are
    // followed by Exchange, which decides where to. No cache, WinInet's or a proxy's,
    // answers in the server's place: a 304 reaches the caller, a changed page is never
    // an old copy.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (address.secure)
        flags |= INTERNET_FLAG_SECURE;
    SetLastError(0);
    sent.request.Reset(HttpOpenRequestW(sent.connection.Get(), Widen(outgoing.verb).c_str(), Widen(target).c_str(),
                                        L"HTTP/1.0", nullptr, nullptr, flags, 0));
    DWORD openError = GetLastError();
    if (openError != ERROR_SUCCESS && openError != ERROR_INSUFFICIENT_BUFFER && openError != ERROR_ALREADY_EXISTS)
        throw Exception(SystemError(openError));
    if (!sent.request)
        throw Exception("Could not open HTTP request");
    SetInternetTimeouts(sent.request.Get(), TimeoutMs);

    const std::wstring wideHeader = Widen(outgoing.header);
    std::string& body = outgoing.body;
    if (!HttpSendRequestW(sent.request.Get(), wideHeader.empty() ? nullptr : wideHeader.c_str(),
                          DWORD(wideHeader.size()), body.empty() ? nullptr : body.data(), DWORD(body.size())))
        throw Exception("HTTP: sending the request failed. Error - " + SystemError(GetLastError()));
    StatusCode = QueryNumber(sent.request.Get(), HTTP_QUERY_STATUS_CODE);
    if (StatusCode == 0)
        throw Exception("HTTP: no valid reply from server " + address.host);
    return sent;
}

void THTTPRequest::CheckTimeLimit(unsigned long long started) const
{
    if (GetTickCount64() - started > TimeLimitMs)
        throw Exception("HTTP: no complete reply within " + std::to_string(TimeLimitMs) + " ms");
}

void THTTPRequest::FollowRedirects(void* root, SentRequest& sent, Outgoing outgoing, unsigned long long started)
{
    std::string url = WithScheme(url_);
    Address from = address_;
    std::string location;
    for (unsigned redirects = 0; IsRedirect(StatusCode) && Location(sent.request.Get(), location); ++redirects) {
        if (redirects == MaxRedirects)
            throw Exception("HTTP: more than " + std::to_string(MaxRedirects) + " redirections");
        url = CombineUrl(url, location);
        Address next = ParseAddress(url);
        // Anything else (file:, ftp:) could hand the poll a local file or another protocol.
        if (!next.web)
            throw Exception("HTTP: redirection to an address that is not http or https: " + url);
        // What went encrypted is not sent again in the clear.
        if (from.secure && !next.secure)
            throw Exception("HTTP: redirection from https to http: " + url);
        CheckTimeLimit(started);
        if (ContinuesAsGet(StatusCode, outgoing.verb)) {
            outgoing.verb = "GET";
            outgoing.header.clear();
            outgoing.body.clear();
        }
        // The part after "#" names a place in the page: it stays with the reader.
        const std::string target = next.path + next.extraInfo.substr(0, next.extraInfo.find('#'));
        sent.request.Reset();
        // The credentials belong to the server they were given for, not to any it names.
        sent = Send(root, next, target, outgoing, next.SameServer(address_));
        from = std::move(next);
    }
}

void THTTPRequest::Exchange()
{
    const ULONGLONG started = GetTickCount64();
    StatusCode = 0;
    InternetHandle root(InternetOpenW(Widen(AgentName).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root)
        throw Exception("Could not open Internet");
    SetInternetTimeouts(root.Get(), TimeoutMs);

    std::string target = address_.path;
    if (requestMethod_ == "GET")
        target += address_.extraInfo;
    if (!getStr.empty()) {
        target = AppendQuery(std::move(target), getStr);
        getStr.clear();
    }
    Outgoing outgoing{requestMethod_, HeaderText(), RequestBody()};
    std::string& body = outgoing.body;
    if (ContainsNoCase(outgoing.header, "multipart")) {
        std::vector<FormPair> variables;
        for (auto& [name, value] : FormPairs(body))
            multipartVariables_.emplace_back(name.substr(0, MaxVariableName), AnsiToWide(value));
        for (const auto& [name, value] : multipartVariables_)
            variables.emplace_back(name, WideToAnsi(value));
        body = MultipartBody(variables);
    }
    body = CutAtZero(std::move(body));

    SentRequest sent = Send(root.Get(), address_, target, outgoing, true);
    FollowRedirects(root.Get(), sent, std::move(outgoing), started);
    HINTERNET request = sent.request.Get();

    const DWORD declaredLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH);
    ContentLength = declaredLength == 0 ? 1 : declaredLength;
    if (ContentLength > MaxReplySize)
        throw Exception(ReplyTooLargeMessage());

    std::array<char, ReadBufferSize> buffer;
    BytesReceived = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadArrived(request, buffer.data(), DWORD(buffer.size()), read))
            throw Exception("HTTP: reading the reply failed. Error - " + SystemError(GetLastError()));
        if (ReplyStream.Size() + read > MaxReplySize)
            throw Exception(ReplyTooLargeMessage());
        ReplyStream.Write(buffer.data(), read);
        BytesReceived += int32_t(read);
        if (OnPacketRead)
            OnPacketRead(*this);
        if (read == 0)
            break;
        CheckTimeLimit(started);
    }
    if (declaredLength != 0 && DWORD(BytesReceived) != declaredLength)
        throw Exception("HTTP: the reply ended after " + std::to_string(BytesReceived) + " of " +
                        std::to_string(declaredLength) + " bytes");

    CookieList.Clear();
    std::string text;
    for (DWORD index = 0; QueryText(request, HTTP_QUERY_SET_COOKIE, &index, text);)
        CookieList.Add(text);
    DWORD noIndex = 0;
    if (QueryText(request, HTTP_QUERY_RAW_HEADERS_CRLF, &noIndex, text))
        HeaderList.SetText(text);
}

std::string THTTPRequest::ReplyHeader(std::string_view name) const { return HeaderValue(HeaderList.Lines(), name); }

void THTTPRequest::AddMultipartVar(std::string_view name, std::wstring value)
{
    if (!multipartPost_)
        throw Exception("HTTP: not in multipart mode");
    multipartVariables_.emplace_back(std::string(name.substr(0, MaxVariableName)), std::move(value));
}

void THTTPRequest::AddMultipartFile(std::string_view name, const std::string& fileName)
{
    std::optional<std::string> bytes = ReadWholeFile(Widen(fileName));
    if (!bytes)
        throw Exception("Cannot open file \"" + fileName + "\"");
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(*bytes);
    AddMultipartStream(name, std::move(stream));
}

void THTTPRequest::AddMultipartStream(std::string_view name, std::unique_ptr<TMemoryStream> stream)
{
    AddMultipartVar(name, AnsiToWide(Base64Lines(stream->View())));
}
