#include "WebLink.h"

#include <gtest/gtest.h>

#include <string>

#include "Application.h"
#include "ErrorBoxReader.h"
#include "OpenedMarker.h"
#include "ShellResult.h"

TEST(ShellResult, OnlyAnswersFrom35CountAsSuccess)
{
    EXPECT_FALSE(ShellResultIsSuccess(0));
    EXPECT_FALSE(ShellResultIsSuccess(2));   // file not found
    EXPECT_FALSE(ShellResultIsSuccess(31));  // no association
    EXPECT_FALSE(ShellResultIsSuccess(32));
    EXPECT_FALSE(ShellResultIsSuccess(33));
    EXPECT_FALSE(ShellResultIsSuccess(34));
    EXPECT_TRUE(ShellResultIsSuccess(35));
    EXPECT_TRUE(ShellResultIsSuccess(42));
}

// An address the shell cannot open, and one it would (a command file) but a link may not:
// both end in the same error box, and nothing is started.
TEST(WebLink, FailedOrRefusedWebLinkTellsTheUserInAnErrorBox)
{
    TApplication application;
    application.SetTitle("Soriel link test");
    const OpenedMarker program;
    for (const std::string& address : {std::string("nosuchscheme-soriel://host/"), Narrow(program.script)}) {
        SCOPED_TRACE(address);
        ErrorBoxReader::text.clear();
        SetTimer(nullptr, 0, 50, &ErrorBoxReader::Tick);
        OpenWebLink(address, nullptr);
        EXPECT_EQ(ErrorBoxReader::text, L"Došlo k chybě při komunikaci s internetem!");
        EXPECT_EQ(ErrorBoxReader::title, L"Soriel link test") << "the application's title";
        EXPECT_TRUE(ErrorBoxReader::okButton);
        EXPECT_FALSE(ErrorBoxReader::otherButtons) << "one OK button only";
    }
    EXPECT_FALSE(program.Opened());
}
