#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "ScriptedHttpServer.h"
#include "Waiting.h"
#include "WebTransfer.h"

// A send given up on keeps its thread under Wine until the server stops sending: a server
// with an endless reply head must not gather them without end, and once it stops they end.
TEST(WebTransfer, SendsGivenUpOnAreBoundedAndEndWithTheirServer)
{
    auto endless = std::make_unique<ScriptedHttpServer>();
    ScriptedReply head;
    head.Raw = "HTTP/1.0 200 OK\r\nX-Filler: ";
    head.EndlessAfterRaw = true;
    endless->SetReply(head);
    ScriptedHttpServer good;
    ScriptedReply fine;
    fine.Body = "fine";
    good.SetReply(fine);

    TransferBudget budget(TransferBudget::Limits{.runMs = 300});
    auto failure = [&](const std::string& url) -> std::optional<TransferFailure> {
        budget.Reset();
        TransferGuard guard(budget, TransferBudget::Kind::Small, 1 << 20);
        try {
            WebTransfer(WebRequest{.url = url, .stepTimeoutMs = 5000}, guard).ReceiveAll();
            return std::nullopt;
        } catch (const TransferError& error) {
            return error.Failure();
        }
    };

    int stopped = 0;
    std::optional<TransferFailure> last;
    while ((last = failure(endless->Url())) == TransferFailure::Stopped && stopped < 20)
        ++stopped;
    EXPECT_EQ(last, TransferFailure::Send);
    EXPECT_GE(stopped, 1);
    EXPECT_LE(stopped, 8);
    EXPECT_EQ(failure(good.Url()), TransferFailure::Send);

    endless.reset();
    EXPECT_TRUE(WaitUntil([&] { return !failure(good.Url()); }, 20000));
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
    const auto whileSending = [&] {
        if (++calls == 3)
            budget.Cancel();
    };
    try {
        WebTransfer(WebRequest{.url = silent.Url(), .stepTimeoutMs = 20000, .whileSending = whileSending}, guard);
        ADD_FAILURE() << "a silent server answered";
    } catch (const TransferError& error) {
        EXPECT_EQ(error.Failure(), TransferFailure::Stopped);
        EXPECT_EQ(error.Verdict(), TransferBudget::Verdict::Cancelled);
    }
    EXPECT_EQ(calls, 3);
}

// The policy every redirection is held to; the https cases need no TLS server, which the
// loopback tests cannot have one whose certificate is trusted.
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
