#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Component.h"
#include "HTTPRequestFuncs.h"
#include "MemoryStream.h"
#include "StringList.h"
#include "WebTransfer.h"

// One HTTP request at a time through WinInet: GET with an extra query, or POST with a
// URL-encoded or multipart form. The reply body comes back as bytes and as lines,
// inflated first when it is a plain gzip member, at most MaxReplyBytes of it. Redirections
// are followed to http and https addresses only, never from https to http, at most
// MaxRedirects of them; UserName and Password go only to the server of URL. Errors raise
// Exception.
class THTTPRequest : public TComponent {
public:
    explicit THTTPRequest(TComponent* owner = nullptr);

    const std::string& URL() const { return url_; }
    // Stores the address and splits it; "http://" is put in front when it has no scheme.
    void SetURL(const std::string& url);
    const std::string& RequestMethod() const { return requestMethod_; }
    void SetRequestMethod(std::string_view method);
    bool MultipartPOST() const { return multipartPost_; }
    void SetMultipartPOST(bool multipart);

    // Blocks until the whole reply is read.
    void Execute();
    void ExecuteURL(const std::string& url);

    void AddMultipartVar(std::string_view name, std::wstring value);
    void AddMultipartFile(std::string_view name, const std::string& fileName);
    // Takes the stream; its bytes become the value as Base64 lines.
    void AddMultipartStream(std::string_view name, std::unique_ptr<TMemoryStream> stream);

    std::string postStr; // URL-encoded form data for the next POST; consumed by it
    std::string getStr;  // extra query for the next request; consumed by it
    std::string AgentName = "httprequest";
    std::string UserName;
    std::string Password;
    std::string ContentType;
    // Sent as Accept-Encoding when set: the reply may come compressed ("gzip" is inflated).
    std::string AcceptEncoding;
    // Header lines that describe what the caller has of URL's page (the validators of a
    // conditional GET), each ending in CR LF: sent to URL only, never to an address a
    // redirection names.
    std::string Conditions;
    // Most bytes of a reply body, before and after inflation; a larger one raises.
    size_t MaxReplyBytes = MaxReplySize;
    // Off, ReplyLines stays empty: a caller that reads ReplyStream where it lies spares a
    // string for every line of the page.
    bool SplitReplyLines = true;
    std::function<void(THTTPRequest& sender)> OnPacketRead;
    // Bounds of one request: each connect, send and receive step, and the whole exchange
    // (checked before each redirection and between reads: a request ends within
    // TimeLimitMs and the steps then under way).
    unsigned TimeoutMs = 5000;
    unsigned TimeLimitMs = 20000;

    TStringList ReplyLines;
    TMemoryStream ReplyStream;
    TStringList CookieList;
    TStringList HeaderList;
    int32_t BytesReceived = 0;
    uint32_t ContentLength = 0;
    unsigned StatusCode = 0; // of the last reply; 0 when none arrived
    // Where the last reply came from: URL as written unless a redirection led elsewhere.
    std::string FinalURL;
    // The value of the last reply's first header of that name (any case); empty when none.
    std::string ReplyHeader(std::string_view name) const;

    static constexpr unsigned MaxRedirects = WebTransfer::MaxRedirects;

private:
    void Exchange();
    std::string RequestBody();
    std::string HeaderText() const;

    std::string url_;
    std::string requestMethod_;
    bool multipartPost_ = false;
    WebAddress address_;
    std::vector<std::pair<std::string, std::wstring>> multipartVariables_;
};
