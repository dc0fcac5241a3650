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

void SetTimeouts(HINTERNET handle, DWORD milliseconds)
{
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

DWORD QueryNumber(HINTERNET request, DWORD info)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return 0;
    return value;
}

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

} // namespace

THTTPRequest::THTTPRequest(TComponent* owner) : TComponent(owner)
{
    SetRequestMethod("GET");
    SetMultipartPOST(false);
}

void THTTPRequest::SetURL(const std::string& url)
{
    url_ = url;
    address_ = {};
    if (url.empty())
        return;
    std::wstring wide = Widen(url.find("://") == std::string::npos ? "http://" + url : url);
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
    address_.host = Narrow(std::wstring_view(host.data(), parts.dwHostNameLength));
    address_.path = Narrow(std::wstring_view(path.data(), parts.dwUrlPathLength));
    address_.extraInfo = EscapePlus(Narrow(std::wstring_view(extra.data(), parts.dwExtraInfoLength)));
    address_.port = parts.nPort;
    address_.secure = parts.nScheme == INTERNET_SCHEME_HTTPS || parts.nPort == INTERNET_DEFAULT_HTTPS_PORT;
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
    if (requestMethod_ == "POST")
        headers += "Content-Type: " + (ContentType.empty() ? std::string(FormContentType) : ContentType) + "\r\n";
    return headers;
}

void THTTPRequest::Exchange()
{
    const ULONGLONG started = GetTickCount64();
    StatusCode = 0;
    InternetHandle root(InternetOpenW(Widen(AgentName).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root)
        throw Exception("Could not open Internet");
    SetTimeouts(root.Get(), TimeoutMs);

    const std::wstring user = Widen(UserName), password = Widen(Password);
    InternetHandle connection(InternetConnectW(root.Get(), Widen(address_.host).c_str(), address_.port,
                                               UserName.empty() ? nullptr : user.c_str(),
                                               UserName.empty() ? nullptr : password.c_str(),
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        throw Exception("Could not connect to server " + address_.host);

    // Certificates stay checked: no flag here lets a bad one pass.
    DWORD flags = INTERNET_FLAG_RELOAD;
    if (address_.secure)
        flags |= INTERNET_FLAG_SECURE;
    std::string target = address_.path;
    if (requestMethod_ == "GET")
        target += address_.extraInfo;
    if (!getStr.empty()) {
        target = AppendQuery(std::move(target), getStr);
        getStr.clear();
    }
    SetLastError(0);
    InternetHandle request(HttpOpenRequestW(connection.Get(), Widen(requestMethod_).c_str(), Widen(target).c_str(),
                                            L"HTTP/1.0", nullptr, nullptr, flags, 0));
    DWORD openError = GetLastError();
    if (openError != ERROR_SUCCESS && openError != ERROR_INSUFFICIENT_BUFFER && openError != ERROR_ALREADY_EXISTS)
        throw Exception(SystemError(openError));
    if (!request)
        throw Exception("Could not open HTTP request");
    SetTimeouts(request.Get(), TimeoutMs);

    std::string body = RequestBody();
    const std::string header = HeaderText();
    if (ContainsNoCase(header, "multipart")) {
        std::vector<FormPair> variables;
        for (auto& [name, value] : FormPairs(body))
            multipartVariables_.emplace_back(name.substr(0, MaxVariableName), AnsiToWide(value));
        for (const auto& [name, value] : multipartVariables_)
            variables.emplace_back(name, WideToAnsi(value));
        body = MultipartBody(variables);
    }
    body = CutAtZero(std::move(body));

    const std::wstring wideHeader = Widen(header);
    if (!HttpSendRequestW(request.Get(), wideHeader.empty() ? nullptr : wideHeader.c_str(), DWORD(wideHeader.size()),
                          body.empty() ? nullptr : body.data(), DWORD(body.size())))
        throw Exception("HTTP: sending the request failed. Error - " + SystemError(GetLastError()));

    StatusCode = QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE);
    if (StatusCode == 0)
        throw Exception("HTTP: no valid reply from server " + address_.host);
    const DWORD declaredLength = QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
    ContentLength = declaredLength == 0 ? 1 : declaredLength;
    if (ContentLength > MaxReplySize)
        throw Exception(ReplyTooLargeMessage());

    std::array<char, ReadBufferSize> buffer;
    BytesReceived = 0;
    for (;;) {
        // Taking only what has arrived keeps a trickling reply from holding one read for long.
        DWORD available = 0;
        DWORD read = 0;
        if (!InternetQueryDataAvailable(request.Get(), &available, 0, 0) ||
            !InternetReadFile(request.Get(), buffer.data(),
                              available == 0 ? DWORD(buffer.size()) : std::min(available, DWORD(buffer.size())), &read))
            throw Exception("HTTP: reading the reply failed. Error - " + SystemError(GetLastError()));
        if (ReplyStream.Size() + read > MaxReplySize)
            throw Exception(ReplyTooLargeMessage());
        ReplyStream.Write(buffer.data(), read);
        BytesReceived += int32_t(read);
        if (OnPacketRead)
            OnPacketRead(*this);
        if (read == 0)
            break;
        if (GetTickCount64() - started > TimeLimitMs)
            throw Exception("HTTP: no complete reply within " + std::to_string(TimeLimitMs) + " ms");
    }
    if (declaredLength != 0 && DWORD(BytesReceived) != declaredLength)
        throw Exception("HTTP: the reply ended after " + std::to_string(BytesReceived) + " of " +
                        std::to_string(declaredLength) + " bytes");

    CookieList.Clear();
    std::string text;
    for (DWORD index = 0; QueryText(request.Get(), HTTP_QUERY_SET_COOKIE, &index, text);)
        CookieList.Add(text);
    DWORD noIndex = 0;
    if (QueryText(request.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, &noIndex, text))
        HeaderList.SetText(text);
}

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
