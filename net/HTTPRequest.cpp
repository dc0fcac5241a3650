#include "HTTPRequest.h"

#include <algorithm>
#include <optional>

#include "Exception.h"
#include "FileIO.h"
#include "HTTPRequestFuncs.h"
#include "InternetHandle.h"
#include "Text.h"

namespace {

constexpr size_t ReadBufferSize = 1024;
constexpr size_t MaxVariableName = 255;

} // namespace

THTTPRequest::THTTPRequest(TComponent* owner) : TComponent(owner)
{
    SetRequestMethod("GET");
    SetMultipartPOST(false);
}

void THTTPRequest::SetURL(const std::string& url)
{
    url_ = url;
    address_ = url.empty() ? WebAddress{} : ParseWebAddress(url);
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
    if (SplitReplyLines)
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
    StatusCode = 0;
    FinalURL.clear();
    std::string target = address_.path;
    if (requestMethod_ == "GET")
        target += address_.extraInfo;
    if (!getStr.empty()) {
        target = AppendQuery(std::move(target), getStr);
        getStr.clear();
    }
    WebRequest request{.url = url_, .target = target, .verb = requestMethod_, .headers = HeaderText(),
                       .conditions = Conditions, .body = RequestBody(), .userName = UserName,
                       .password = Password, .agent = AgentName, .stepTimeoutMs = TimeoutMs,
                       .readBlock = ReadBufferSize};
    if (ContainsNoCase(request.headers, "multipart")) {
        std::vector<FormPair> variables;
        for (auto& [name, value] : FormPairs(request.body))
            multipartVariables_.emplace_back(name.substr(0, MaxVariableName), AnsiToWide(value));
        for (const auto& [name, value] : multipartVariables_)
            variables.emplace_back(name, WideToAnsi(value));
        request.body = MultipartBody(variables);
    }
    request.body = CutAtZero(std::move(request.body));

    // One request's bounds: its whole exchange, and the size of its reply.
    TransferBudget budget(TransferBudget::Limits{.runMs = TimeLimitMs});
    TransferGuard guard(budget, TransferBudget::Kind::Small, MaxReplyBytes);
    try {
        WebTransfer transfer(std::move(request), guard);
        StatusCode = transfer.Status();
        FinalURL = transfer.FinalUrl();
        ContentLength = transfer.AnnouncedLength() == 0 ? 1 : DWORD(transfer.AnnouncedLength());
        BytesReceived = 0;
        ReplyStream.Write(transfer.ReceiveAll([this](uint64_t total) {
            BytesReceived = int32_t(total);
            if (OnPacketRead)
                OnPacketRead(*this);
            return true;
        }));
        CookieList.Clear();
        for (const std::string& cookie : transfer.HeaderValues(HTTP_QUERY_SET_COOKIE))
            CookieList.Add(cookie);
        HeaderList.SetText(transfer.RawHead());
    } catch (const TransferError& error) {
        if (error.Failure() == TransferFailure::TooLarge)
            throw Exception(ReplyTooLargeMessage(MaxReplyBytes));
        if (error.Failure() == TransferFailure::Stopped)
            throw Exception("HTTP: no complete reply within " + std::to_string(TimeLimitMs) + " ms");
        throw;
    }
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
