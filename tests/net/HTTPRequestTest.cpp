#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "ErrorOf.h"
#include "Exception.h"
#include "HTTPRequest.h"
#include "HTTPRequestFuncs.h"
#include "ScriptedHttpServer.h"

namespace {

ScriptedReply Reply(std::string body)
{
    ScriptedReply reply;
    reply.Body = std::move(body);
    return reply;
}

class HTTPRequestTest : public ::testing::Test {
protected:
    ScriptedHttpServer server;
    THTTPRequest request{nullptr};
};

} // namespace

TEST_F(HTTPRequestTest, AddressRulesAsTheServerSeesThem)
{
    // A reply any cache could keep for an hour.
    ScriptedReply cacheable = Reply("ok");
    cacheable.Headers = {"Cache-Control: public, max-age=3600", "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT"};
    server.SetReply(cacheable);
    request.ExecuteURL("127.0.0.1:" + std::to_string(server.Port()) + "/plain");
    EXPECT_EQ(request.URL(), "127.0.0.1:" + std::to_string(server.Port()) + "/plain");
    EXPECT_EQ(server.LastRequest().RequestLine, "GET /plain HTTP/1.0");
    EXPECT_EQ(server.LastRequest().Header("User-Agent"), "httprequest");

    request.ExecuteURL(server.Url("/q?a=1+2"));
    EXPECT_EQ(server.LastRequest().Target, "/q?a=1%2B2");

    request.getStr = "x=1";
    request.ExecuteURL(server.Url("/p"));
    EXPECT_EQ(server.LastRequest().Target, "/p?x=1");
    EXPECT_TRUE(request.getStr.empty());

    request.getStr = "x=1";
    request.ExecuteURL(server.Url("/p?a=1"));
    EXPECT_EQ(server.LastRequest().Target, "/p?a=1&x=1");

    request.Execute();
    EXPECT_EQ(server.LastRequest().Target, "/p?a=1");
    EXPECT_EQ(server.RequestCount(), 5u) << "every request reaches the server, none comes from a cache";
    EXPECT_EQ(server.LastRequest().Header("Pragma"), "no-cache") << "nor from a proxy's";
}

TEST_F(HTTPRequestTest, LongAddressesAreSentWhole)
{
    server.SetReply(Reply("ok"));
    const std::string path = "/" + std::string(3000, 'p');
    const std::string query = "?q=" + std::string(5000, 'v');
    const std::string extra = "g=" + std::string(3000, 'g');
    request.getStr = extra;
    request.ExecuteURL(server.Url(path + query));
    EXPECT_EQ(server.LastRequest().Target, path + query + "&" + extra);
    EXPECT_EQ(request.ReplyLines.Lines(), std::vector<std::string>{"ok"});
}

TEST_F(HTTPRequestTest, AddressErrors)
{
    EXPECT_EQ(ErrorOf([&] { request.Execute(); }), "HTTP: no url in execute method");
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL("http://"); }), "Could not connect to server ");
    request.SetURL("");
    EXPECT_EQ(ErrorOf([&] { request.Execute(); }), "HTTP: no url in execute method");
}

TEST_F(HTTPRequestTest, ReplyBodyAsBytesAndLines)
{
    const std::string body = std::string("one\r\ntwo\nthree\rfour\r\n\0after zero", 33);
    ScriptedReply reply = Reply(body);
    reply.Headers = {"Set-Cookie: a=1", "Set-Cookie: b=2; path=/", "X-Test: yes"};
    server.SetReply(reply);
    request.ExecuteURL(server.Url("/page"));
    EXPECT_EQ(request.ReplyStream.Bytes(), body);
    EXPECT_EQ(request.ReplyStream.Position(), 0u);
    EXPECT_EQ(request.ReplyLines.Lines(), (std::vector<std::string>{"one", "two", "three", "four"}));
    EXPECT_EQ(request.StatusCode, 200u);
    EXPECT_EQ(request.CookieList.Lines(), (std::vector<std::string>{"a=1", "b=2; path=/"}));
    ASSERT_GE(request.HeaderList.Count(), 2u);
    EXPECT_EQ(request.HeaderList[0], "HTTP/1.0 200 OK");
    EXPECT_GE(request.HeaderList.IndexOf("X-Test: yes"), 1);
}

TEST_F(HTTPRequestTest, ProgressEventAfterEachRead)
{
    server.SetReply(Reply(std::string(3000, 'x')));
    std::vector<std::pair<int32_t, uint32_t>> progress;
    request.OnPacketRead = [&](THTTPRequest& sender) {
        progress.emplace_back(sender.BytesReceived, sender.ContentLength);
    };
    request.ExecuteURL(server.Url("/"));
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.back(), std::make_pair(int32_t(3000), uint32_t(3000)));
    EXPECT_EQ(progress[progress.size() - 2].first, 3000) << "once more after the last data";
    EXPECT_LE(progress.front().first, 1024);

    ScriptedReply noLength = Reply("abc");
    noLength.SendContentLength = false;
    server.SetReply(noLength);
    progress.clear();
    request.Execute();
    EXPECT_EQ(request.ReplyLines.Lines(), std::vector<std::string>{"abc"});
    ASSERT_FALSE(progress.empty());
    for (const auto& [received, length] : progress)
        EXPECT_EQ(length, 1u);

    server.SetReply(Reply(""));
    progress.clear();
    request.Execute();
    EXPECT_EQ(progress, (std::vector<std::pair<int32_t, uint32_t>>{{0, 1}}));
    EXPECT_EQ(request.ReplyLines.Count(), 0u);
}

TEST_F(HTTPRequestTest, ErrorPageIsReturnedLikeAnyOther)
{
    ScriptedReply notFound = Reply("<h1>Not here</h1>");
    notFound.Status = 404;
    notFound.Reason = "Not Found";
    server.SetReply(notFound);
    request.ExecuteURL(server.Url("/missing"));
    EXPECT_EQ(request.StatusCode, 404u);
    EXPECT_EQ(request.ReplyLines.Lines(), std::vector<std::string>{"<h1>Not here</h1>"});
}

TEST_F(HTTPRequestTest, GzipBodies)
{
    const std::string page = "first line\r\nsecond line\r\n";
    server.SetReply(Reply(Gzip(page)));
    request.ExecuteURL(server.Url("/"));
    EXPECT_EQ(request.ReplyStream.Bytes(), page);
    EXPECT_EQ(request.ReplyLines.Lines(), (std::vector<std::string>{"first line", "second line"}));

    for (GzipHeader kept : {GzipHeader::WithTimeStamp, GzipHeader::WithFileName}) {
        const std::string member = Gzip(page, kept);
        server.SetReply(Reply(member));
        request.Execute();
        EXPECT_EQ(request.ReplyStream.Bytes(), member);
    }

    const std::string member = Gzip(page);
    server.SetReply(Reply(member.substr(0, 10) + "garbage, not deflate"));
    EXPECT_EQ(ErrorOf([&] { request.Execute(); }), "Error");
    server.SetReply(Reply(Gzip(std::string(MaxReplySize + 1, 'a'))));
    EXPECT_EQ(ErrorOf([&] { request.Execute(); }), ReplyTooLargeMessage());
}

TEST_F(HTTPRequestTest, RepliesOverTheSizeLimitEndTheRequest)
{
    ScriptedReply declared = Reply("");
    declared.Headers = {"Content-Length: " + std::to_string(MaxReplySize + 1)};
    declared.SendContentLength = false;
    server.SetReply(declared);
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/")); }), ReplyTooLargeMessage());

    ScriptedReply streamed = Reply(std::string(MaxReplySize + 1, 'a'));
    streamed.SendContentLength = false;
    server.SetReply(streamed);
    EXPECT_EQ(ErrorOf([&] { request.Execute(); }), ReplyTooLargeMessage());
}

TEST_F(HTTPRequestTest, BrokenExchangesEndWithAnErrorWithinTheBounds)
{
    EXPECT_LT(request.TimeLimitMs + request.TimeoutMs, 30000u) << "a poll must end within its period";
    request.TimeoutMs = 1000;
    request.TimeLimitMs = 1500;
    auto timed = [&](ScriptedReply reply) {
        server.SetReply(std::move(reply));
        const ULONGLONG started = GetTickCount64();
        const std::string error = ErrorOf([&] { request.ExecuteURL(server.Url("/")); });
        EXPECT_NE(error, "(no error)");
        return GetTickCount64() - started;
    };

    ScriptedReply stalled = Reply("late");
    stalled.StallMs = 20000;
    EXPECT_LT(timed(stalled), 4000u);

    ScriptedReply trickle = Reply(std::string(200, 't'));
    trickle.TrickleBytes = 1;
    trickle.TrickleDelayMs = 100;
    EXPECT_LT(timed(trickle), 4000u);

    ScriptedReply stallsInBody = Reply(std::string(100, 's'));
    stallsInBody.TrickleBytes = 10;
    stallsInBody.TrickleDelayMs = 20000;
    EXPECT_LT(timed(stallsInBody), 4000u);
    const std::string readError = ErrorOf([&] { request.Execute(); });
    EXPECT_EQ(readError.rfind("HTTP: reading the reply failed. Error - ", 0), 0u) << readError;

    ScriptedReply cut = Reply(std::string(5000, 'c'));
    cut.CloseAfter = 1000;
    EXPECT_LT(timed(cut), 6000u);

    ScriptedReply dropped;
    dropped.CloseWithoutReply = true;
    EXPECT_LT(timed(dropped), 6000u);
}

TEST_F(HTTPRequestTest, RedirectionsAreFollowedToHttpAddressesOnlyAndNotWithoutEnd)
{
    ScriptedHttpServer other;
    other.SetReply(Reply("moved page"));
    server.SetHandler([&](const RecordedRequest& sent) {
        const std::map<std::string, std::pair<int, std::string>> redirects = {
            {"/relative", {302, "/final?a=1"}},
            {"/elsewhere", {302, other.Url("/there")}},
            {"/see-other", {303, "/final?a=1"}},
            {"/temporary", {307, "/final?a=1"}},
            {"/fragment", {302, "/final?a=1#part"}},
            {"/file", {302, "file:///C:/windows/win.ini"}},
            {"/loop", {302, sent.Target}}};
        const auto redirect = redirects.find(sent.Target);
        if (redirect == redirects.end()) {
            ScriptedReply page = Reply(sent.RequestLine + " " + sent.Body);
            page.SendContentLength = false; // none is right for a HEAD too
            return page;
        }
        ScriptedReply reply = Reply("");
        reply.Status = redirect->second.first;
        reply.Reason = "Moved";
        reply.Headers = {"Location: " + redirect->second.second};
        return reply;
    });

    request.ExecuteURL(server.Url("/relative"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "GET /final?a=1 HTTP/1.0 ");
    EXPECT_EQ(request.StatusCode, 200u);
    request.ExecuteURL(server.Url("/fragment"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "GET /final?a=1 HTTP/1.0 ") << "the part after # is no server's business";
    request.ExecuteURL(server.Url("/elsewhere"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "moved page");
    request.SetRequestMethod("POST");
    request.postStr = "b=2";
    request.ExecuteURL(server.Url("/see-other"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "GET /final?a=1 HTTP/1.0 ") << "a POST continues as a GET";
    request.postStr = "b=2";
    request.ExecuteURL(server.Url("/temporary"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "POST /final?a=1 HTTP/1.0 b=2");
    request.SetRequestMethod("HEAD");
    request.ExecuteURL(server.Url("/relative"));
    EXPECT_EQ(server.LastRequest().RequestLine, "HEAD /final?a=1 HTTP/1.0") << "a HEAD never fetches a body";
    request.SetRequestMethod("GET");

    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/file")); }),
              "HTTP: redirection to an address that is not http or https: file:///C:/windows/win.ini");
    const size_t before = server.RequestCount();
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/loop")); }), "HTTP: more than 10 redirections");
    EXPECT_EQ(server.RequestCount() - before, 11u);
}

TEST_F(HTTPRequestTest, CredentialsGoOnlyToTheServerTheyWereGivenFor)
{
    // Both servers ask for them; the one a redirection names must not get them.
    auto askingForCredentials = [](const std::string& page) {
        return [page](const RecordedRequest& sent) {
            if (!sent.Header("Authorization").empty())
                return Reply(page);
            ScriptedReply challenge = Reply("");
            challenge.Status = 401;
            challenge.Reason = "Unauthorized";
            challenge.Headers = {"WWW-Authenticate: Basic realm=\"news\""};
            return challenge;
        };
    };
    ScriptedHttpServer other;
    other.SetHandler(askingForCredentials("other page"));
    const auto own = askingForCredentials("own page");
    server.SetHandler([&](const RecordedRequest& sent) {
        if (sent.Target == "/elsewhere" || sent.Target == "/here") {
            ScriptedReply reply = Reply("");
            reply.Status = 302;
            reply.Reason = "Found";
            reply.Headers = {"Location: " + (sent.Target == "/here" ? server.Url("/page") : other.Url("/page"))};
            return reply;
        }
        return own(sent);
    });
    request.UserName = "reader";
    request.Password = "secret";

    request.ExecuteURL(server.Url("/here"));
    EXPECT_EQ(request.ReplyStream.Bytes(), "own page");
    request.ExecuteURL(server.Url("/elsewhere"));
    EXPECT_EQ(request.StatusCode, 401u);
    ASSERT_GT(other.RequestCount(), 0u);
    for (const RecordedRequest& sent : other.Requests())
        EXPECT_EQ(sent.Header("Authorization"), "") << sent.RequestLine;
}

TEST_F(HTTPRequestTest, NoServerListening)
{
    unsigned short port;
    {
        ScriptedHttpServer gone;
        port = gone.Port();
    }
    request.TimeoutMs = 2000;
    const std::string error = ErrorOf([&] { request.ExecuteURL("http://127.0.0.1:" + std::to_string(port) + "/"); });
    EXPECT_EQ(error.rfind("HTTP: sending the request failed. Error - 12029 = ", 0), 0u) << error;
    EXPECT_GT(error.size(), 52u) << "the error carries WinInet's text";
}
