#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ProgramUnderTest.h"
#include "ScriptedHttpServer.h"
#include "UpdateSigner.h"

namespace {

const std::string kNewsPath = "/index.php/zpravodajstvy";

// The what's-new text as an older editor would have saved it: Windows code page 1250.
const std::string kWhatsNew1250 = "Verze 2.0\r\n\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n";

bool Requested(const ScriptedHttpServer& server, const std::string& target)
{
    auto requests = server.Requests();
    return std::any_of(requests.begin(), requests.end(), [&](const RecordedRequest& r) { return r.Target == target; });
}

// The program's visible dialog or message box with that caption, or null.
HWND DialogCaptioned(const RunningProgram& program, const std::wstring& caption)
{
    HWND dialog = program.FindWindowOfClass(L"#32770");
    return dialog && IsWindowVisible(dialog) && program.WindowText(dialog) == caption ? dialog : nullptr;
}

} // namespace

// At start-up the signed control file's message appears first, then its what's-new text,
// both with their Czech texts; declining the text ends the update run before any file is
// requested, and the program goes on to its news. A text whose bytes differ from the digest
// the control file names is not shown at all, and no file is requested either.
TEST(UpdateInstructions, MessageThenWhatsNewAndADeclineRequestsNoFile)
{
    // sha256sum of kWhatsNew1250; of "data", the file that only declining keeps from being taken.
    const std::string whatsNewSha256 = "3e875ff82dfa35bcef012f45964febfd83f306ea00e43acb29f5a89040bd7e95";
    const std::string dataSha256 = "3a6eb0790f39ac87c94f3856b2dd2c5d110e6811602261a9a923d3bb23adc8b7";
    for (bool digestMatches : {true, false}) {
        SCOPED_TRACE(digestMatches ? "signed text" : "changed text");
        ScriptedHttpServer server;
        const std::string control =
            "[update]\r\nserial=1\r\nexpires=2099-12-31\r\ndate=02/01/2020\r\n"
            "[action]\r\nmsg=Je tu nová verze.\\nPodívejte se, co přináší.\r\n"
            "[whatsnew]\r\ncaption=Co je nového\r\nfile=" + server.Url("/update/whatsnew.txt") + "\r\nsha256=" +
            whatsNewSha256 + "\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" + server.Url("/files/data.txt") +
            "\r\ntargetdir={APP}\\data\r\nsha256=" + dataSha256 + "\r\n";
        const std::map<std::string, std::string> files = {
            {"/update/app1h.inf", control},
            {"/update/app1h.inf.sig", SignControlFile(control)},
            {"/update/whatsnew.txt", digestMatches ? kWhatsNew1250 : "Vaše licence vypršela, volejte +420 …\r\n"},
            {"/files/data.txt", "data"}};
        server.SetHandler([&](const RecordedRequest& request) {
            if (request.Target == kNewsPath)
                return ScriptedReply{.Body = "<tr>\r\n       <td class=\"date\">10:15</td>\r\n<td>zprava</td>\r\n</tr>\n"};
            return ServedOrNotFound(files, request.Target);
        });
        ProgramFolder folder;
        folder.Write(L"main.ini", "[Sources]\r\nNewsURL=" + server.Url(kNewsPath) + "\r\nUpdateURL=" +
                                      server.Url("/update/app1h.inf") + "\r\nPollSeconds=2\r\n[Settings]\r\nSound=0\r\n");
        RunningProgram program(folder);

        HWND message = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (message = DialogCaptioned(program, L"Soriel online")) != nullptr; }, 20000));
        EXPECT_EQ(program.WindowText(GetDlgItem(message, 0xFFFF)), L"Je tu nová verze.\r\nPodívejte se, co přináší.");
        EXPECT_FALSE(Requested(server, "/update/whatsnew.txt"));
        PostMessageW(GetDlgItem(message, IDOK), BM_CLICK, 0, 0);

        HWND whatsNew = nullptr;
        if (digestMatches) {
            ASSERT_TRUE(
                WaitUntil([&] { return (whatsNew = DialogCaptioned(program, L"Co je nového")) != nullptr; }, 20000));
            EXPECT_EQ(program.WindowText(GetDlgItem(whatsNew, 100)), L"Verze 2.0\r\nŽluťoučký kůň\r\n");
            PostMessageW(GetDlgItem(whatsNew, IDCANCEL), BM_CLICK, 0, 0);
        }

        ASSERT_TRUE(WaitUntil([&] { return program.LogText().find("zprava") != std::string::npos; }, 20000));
        EXPECT_TRUE(Requested(server, "/update/whatsnew.txt"));
        if (!digestMatches)
            EXPECT_EQ(DialogCaptioned(program, L"Co je nového"), nullptr);
        EXPECT_FALSE(Requested(server, "/files/data.txt"));
        EXPECT_FALSE(folder.Exists(L"data"));
        ASSERT_TRUE(program.Exit());
    }
}
