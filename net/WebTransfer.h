#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CallThread.h"
#include "InternetHandle.h"
#include "TransferGuard.h"

// An http or https address split into what WinInet asks for.
struct WebAddress {
    std::string host;
    std::string path;
    std::string extraInfo; // "?query#place", its "+" kept as "%2B"
    std::string userName;  // as written into the address
    std::string password;
    unsigned short port = 0;
    bool secure = false;
    bool web = false; // http or https

    // Same scheme, host and port.
    bool SameServer(const WebAddress& other) const;
};

// "http://" is put in front of an address without a scheme. Raises TransferError (Address).
WebAddress ParseWebAddress(const std::string& url);

// Every "+" written as "%2B", so a query keeps its plus signs.
std::string EscapePlus(std::string_view text);

// An http address with the proxy's user and password written in, when a user is named.
std::string WithProxyCredentials(const std::string& address, const std::string& user, const std::string& password);

// Whether a redirection from one address may go to the next (url, for the message): only to
// http and https, never from https to http. Raises TransferError (Redirect) when not.
void CheckRedirectTarget(const WebAddress& from, const WebAddress& next, const std::string& url);

struct WebRequest {
    std::string url;
    // What is asked of the server; empty: the address's path and query.
    std::string target;
    std::string verb = "GET";
    // Empty: WinInet's own (HTTP/1.1).
    std::string httpVersion = "HTTP/1.0";
    std::string headers; // further header lines, each ending in CR LF
    // Header lines that describe what the caller has of url's page (If-None-Match, say): sent
    // to url only, never to an address a redirection names, whose page they do not describe.
    std::string conditions;
    std::string body;
    // Sent only to the server of url, never to one a redirection names; when empty, those
    // written into the address.
    std::string userName;
    std::string password;
    // An open Internet session to go through (its proxy settings hold); none: one of the
    // transfer's own.
    HINTERNET session = nullptr;
    std::string agent = "Soriel online";
    bool keepConnection = false;
    // Each connect, send and receive step.
    unsigned stepTimeoutMs = 10000;
    // Most bytes one read takes.
    size_t readBlock = 4096;
    // Called every few tens of milliseconds while a request is being sent or a read waits: a
    // window's thread keeps its messages handled.
    std::function<void()> whileWaiting;
};

// The one way the program moves bytes over http and https. Construction sends the request and
// follows redirections: to http and https addresses only, never from https to http, at most
// MaxRedirects of them, a POST answered with 301, 302 or 303 going on as a GET. No cache
// answers in the server's place, and certificates stay checked. The guard is asked before
// every redirection and read and while a request is sent or a read waits (the transfer's
// CallThread makes those calls), and counts every byte; no step's time-out is longer than
// what the guard has left. Failures raise TransferError.
class WebTransfer {
public:
    static constexpr unsigned MaxRedirects = 10;

    WebTransfer(WebRequest request, TransferGuard& guard);

    unsigned Status() const { return status_; }
    // The address the reply came from: the request's url as written unless a redirection led
    // elsewhere.
    const std::string& FinalUrl() const { return finalUrl_; }
    // Content-Length; 0 when the reply names none.
    uint64_t AnnouncedLength() const { return announced_; }
    // Every value of a header kind (HTTP_QUERY_SET_COOKIE, say) in the reply.
    std::vector<std::string> HeaderValues(DWORD info) const;
    // The reply's head, status line first, each line ending in CR LF.
    std::string RawHead() const;

    // Reads the body to its end, as MoveBlocks does, the bytes as they are: a reply in a content
    // coding (gzip) is Encoded. A reply shorter than it announced is Cut; one longer than the
    // guard allows is TooLarge, before a byte is read when it announces so.
    void Receive(const BlockSink& sink, const BlockHandler& onBlock = {});
    // The whole body, a plain gzip member inflated within the guard's cap.
    std::string ReceiveAll(const BlockHandler& onBlock = {});

private:
    void Send(const WebAddress& address, const std::string& target, bool withCredentials);
    void FollowRedirects(const WebAddress& first);
    bool SendAndWait(const WebAddress& address);
    // Waits on the transfer's thread until bytes of the body have arrived (or its end), and
    // counts them: they are read without waiting.
    void WaitForBytes();
    // One read of what has arrived of the body, up to size bytes: 0 bytes at its end. A plain
    // read waits for the whole size, so a trickling reply would hold it for as long as it
    // trickles.
    size_t ReadArrivedBytes(char* buffer, size_t size);
    void ReceiveBody(const BlockSink& sink, const BlockHandler& onBlock);
    DWORD StepTimeoutMs() const;
    // Makes a blocking call on the transfer's thread, within the guard; failure when no
    // thread can be had.
    void Call(std::function<void()> call, TransferFailure failure);

    WebRequest request_;
    TransferGuard& guard_;
    CallThread calls_;
    std::string server_; // "host:port" of the last request sent
    DWORD arrived_ = 0;  // bytes of the body that have arrived and are not read yet
    InternetHandle ownSession_;
    InternetHandle connection_;
    InternetHandle handle_;
    unsigned status_ = 0;
    uint64_t announced_ = 0;
    std::string finalUrl_;
};

// An error code with WinInet's or the system's text: "12029 = …".
std::string InternetErrorText(DWORD code);
