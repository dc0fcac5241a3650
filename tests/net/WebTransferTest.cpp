#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostileReplies.h"
#include "ScriptedHttpServer.h"
#include "Waiting.h"
#include "WebTransfer.h"

// A request given up on keeps its thread under Wine until the server stops sending: a server
// with an endless reply head must not gather them without end, nor stop the transfers to
// another server; servers that hand every request a new port gather no more than their
// bound in all, past which every transfer fails at once; once the servers stop, they end.
TEST(WebTransfer, RequestsGivenUpOnAreBoundedByServerAndInAllAndEndWithTheirServers)
{
    auto endless = std::make_unique<ScriptedHttpServer>();
    ScriptedReply head;
    head.Raw = "HTTP/1.0 200 OK\r\nX-Filler: ";
    head.EndlessAfterRaw = true;
    endless->SetReply(head);
    const std::string endlessUrl = endless->Url();
    ScriptedHttpServer good;
    ScriptedReply fine;
    fine.Body = "fine";
    good.SetReply(fine);
    // Every request sent on to a listener of its own that trickles its head.
    std::vector<std::unique_ptr<ScriptedHttpServer>> ports;
    auto newPorts = std::make_unique<ScriptedHttpServer>();
    const HostileReply& toNewPort = *std::find_if(HostileReplies().begin(), HostileReplies().end(),
                                                  [](const HostileReply& reply) {
                                                      return std::string(reply.name) == "redirect to a new trickling port";
                                                  });
    newPorts->SetHandler([&](const RecordedRequest&) { return toNewPort.make({.servers = &ports}); });

    TransferBudget budget(TransferBudget::Limits{.runMs = 300});
    struct Outcome {
        std::optional<TransferFailure> failure;
        std::string message;
    };
    auto transfer = [&](const std::string& url) {
        budget.Reset();
        TransferGuard guard(budget, TransferBudget::Kind::Small, 1 << 20);
        try {
            WebTransfer(WebRequest{.url = url, .stepTimeoutMs = 5000}, guard).ReceiveAll();
            return Outcome{};
        } catch (const TransferError& error) {
            return Outcome{error.Failure(), error.what()};
        }
    };
    const auto tooMany = [](const Outcome& outcome) {
        return outcome.message.find("given up on") != std::string::npos;
    };
    // Stopped by the time limit until refused at once; a transfer stopped before its send
    // began (a loaded machine) leaves none.
    const auto givenUpUntilRefused = [&](const std::string& url) {
        int stopped = 0;
        Outcome last;
        while ((last = transfer(url)).failure == TransferFailure::Stopped && stopped < 30)
            ++stopped;
        EXPECT_EQ(last.failure, TransferFailure::Send);
        EXPECT_TRUE(tooMany(last)) << last.message;
        return stopped;
    };

    EXPECT_GE(givenUpUntilRefused(endlessUrl), CallThread::kMostGivenUpPerServer);
    EXPECT_EQ(transfer(good.Url()).failure, std::nullopt) << "another server's transfer was stopped";
    EXPECT_GE(givenUpUntilRefused(newPorts->Url()), CallThread::kMostGivenUp - CallThread::kMostGivenUpPerServer);
    const Outcome refused = transfer(good.Url());
    EXPECT_TRUE(tooMany(refused)) << "past the bound in all, every transfer fails at once: " << refused.message;

    endless.reset();
    newPorts.reset();
    ports.clear();
    EXPECT_TRUE(WaitUntil([&] { return !transfer(good.Url()).failure; }, 20000));
}

// A window's thread goes on handling its messages while a server keeps silent, and a close
// request among them ends the transfer there and then.
TEST(WebTransfer, TheCallerIsCalledWhileSendingAndItsCancelEndsTheSend)
{
    ScriptedHttpServer silent;
    ScriptedReply stall;
    stall.StallMs = 60000;
    silent.SetReply(stall);
    TransferBudget budget;
    TransferGuard guard(budget, TransferBudget::Kind::Small, 1 << 20);
    int calls = 0;
    const auto whileWaiting = [&] {
        if (++calls == 3)
            budget.Cancel();
    };
    try {
        WebTransfer(WebRequest{.url = silent.Url(), .stepTimeoutMs = 20000, .whileWaiting = whileWaiting}, guard);
        ADD_FAILURE() << "a silent server answered";
    } catch (const TransferError& error) {
        EXPECT_EQ(error.Failure(), TransferFailure::Stopped);
        EXPECT_EQ(error.Verdict(), TransferBudget::Verdict::Cancelled);
    }
    EXPECT_EQ(calls, 3);
}

// The policy every redirection is held to; the https cases need no TLS server, as the
// loopback tests can have none whose certificate is trusted.
TEST(WebTransfer, RedirectionsGoToWebAddressesOnlyAndNeverFromHttpsToHttp)
{
    const struct {
        const char* from;
        const char* to;
        bool allowed;
    } cases[] = {
        {"http://a.example/", "http://b.example/", true},
        {"http://a.example/", "https://b.example/", true},
        {"https://a.example/", "https://b.example/x", true},
        {"https://a.example/", "http://a.example/", false},
        {"https://a.example/", "http://b.example:443/", true}, // the https port is encrypted
        {"http://a.example/", "ftp://b.example/", false},
        {"https://a.example/", "file:///C:/windows/win.ini", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        std::optional<TransferFailure> failure;
        try {
            CheckRedirectTarget(ParseWebAddress(c.from), ParseWebAddress(c.to), c.to);
        } catch (const TransferError& error) {
            failure = error.Failure();
        }
        EXPECT_EQ(failure, c.allowed ? std::nullopt : std::optional(TransferFailure::Redirect));
    }
}
