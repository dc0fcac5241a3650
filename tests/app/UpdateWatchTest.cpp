#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <map>

#include "DetachedSignature.h"
#include "Menus.h"
#include "ScriptedHttpServer.h"
#include "UpdateSigner.h"
#include "UpdateWatch.h"
#include "Waiting.h"

namespace {

// A main window that shows nothing, and nobody at the computer.
class NobodyThere : public UpdateWatchHost {
public:
    bool NewsPopupShowing() override { return false; }
    bool PopupsMustWait() override { return false; }
    bool NewsPopupWaiting() override { return false; }
    bool MainWindowActive() override { return false; }
    uint64_t IdleMs() override { return 3600 * 1000; }
    unsigned long long DeliveredPolls() override { return 0; }
    void ResumePolls() override { ++resumed; }
    int resumed = 0;
};

} // namespace

// An update that asks nothing is announced, and carried out once its popup has gone. When
// that fails it is not tried again and again: only a later check that finds it again lets it
// go ahead by itself once more. The announcement stays for the person meanwhile.
TEST(UpdateWatch, ASilentUpdateThatFailsWaitsForTheNextCheck)
{
    ScriptedHttpServer server;
    const std::string control = "[update]\r\nserial=1\r\nexpires=2099-12-31\r\nunconditional=1\r\n"
                                "[application]\r\nappupdate=1\r\nappname={APP}\\main.exe\r\nsilentrestart=1\r\n"
                                "[files]\r\ncount=1\r\n[file1]\r\nurl=" +
                                server.Url("/gone.txt") +
                                "\r\nsha256=0000000000000000000000000000000000000000000000000000000000000000\r\n";
    const std::map<std::string, std::string> files = {{"/app1h.inf", control},
                                                      {"/app1h.inf.sig", SignControlFile(control)}};
    server.SetHandler([&](const RecordedRequest& request) { return ServedOrNotFound(files, request.Target); });
    const auto requestsFor = [&](const std::string& target) {
        size_t count = 0;
        for (const RecordedRequest& request : server.Requests())
            count += request.Target == target;
        return count;
    };
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");

    TComponent owner(nullptr);
    auto* update = new TAutoUpdate(&owner);
    update->UpdateType = TAutoUpdateType::httpUpdate;
    update->UpdateUpdate = TAutoUpdateUpdate::auuSilent;
    update->ConnectionFunctions.IsConnected = [] { return true; };
    update->URL = server.Url("/app1h.inf");
    update->PublicKeys = BuiltInUpdatePublicKeys();
    update->LastURLEntry = {.Save = true, .Key = "Software\\Soriel online tests", .Section = "UpdateWatch"};
    auto* popup = new TSlidePopup(&owner);
    popup->Options = spCloseOnClick;
    popup->TimeOut = 1;
    auto* menu = new TPopupMenu(&owner);
    TMenuItem* item = menu->Add("Aktualizovat");
    NobodyThere host;
    TUpdateWatch watch(*update, *popup, *item, host, 1);
    EXPECT_FALSE(item->Visible);

    // The start-up run two minutes ago got no answer: a check is due.
    watch.StartupRunEnded(int64_t(std::time(nullptr)) - 120);
    watch.Tick();
    EXPECT_EQ(requestsFor("/app1h.inf"), 1u);
    EXPECT_EQ(requestsFor("/gone.txt"), 0u) << "carried out while its announcement shows";
    EXPECT_TRUE(item->Visible);
    EXPECT_EQ(popup->OpenCount(), 1);
    ASSERT_TRUE(PumpUntil([&] { return popup->OpenCount() == 0; }, 5000));

    watch.Tick();
    EXPECT_EQ(requestsFor("/gone.txt"), 1u);
    EXPECT_EQ(update->LastRun().Outcome, TUpdateRunOutcome::Failed);
    EXPECT_EQ(host.resumed, 1) << "the polls did not go on";
    for (int tick = 0; tick < 3; ++tick)
        watch.Tick();
    EXPECT_EQ(requestsFor("/gone.txt"), 1u) << "a failed silent update tried again and again";
    EXPECT_EQ(requestsFor("/app1h.inf"), 2u);
    EXPECT_TRUE(item->Visible);
    EXPECT_TRUE(item->Enabled);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Soriel online tests");
}
