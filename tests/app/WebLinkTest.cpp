#include "WebLink.h"

#include <gtest/gtest.h>

#include <string>

#include "Application.h"
#include "ShellResult.h"

namespace {

// Reads the error box once it is up, then presses its OK button.
struct ErrorBoxReader {
    static inline std::wstring title;
    static inline std::wstring text;
    static inline bool okButton = false;
    static inline bool otherButtons = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (!box || !IsWindowVisible(box))
            return;
        KillTimer(nullptr, timer);
        wchar_t buffer[256] = {};
        GetWindowTextW(box, buffer, 256);
        title = buffer;
        GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        text = buffer;
        okButton = GetDlgItem(box, IDOK) != nullptr;
        otherButtons = GetDlgItem(box, IDCANCEL) || GetDlgItem(box, IDYES) || GetDlgItem(box, IDNO);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
};

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

TEST(WebLink, FailedWebLinkTellsTheUserInAnErrorBox)
{
    TApplication application;
    application.SetTitle("Soriel link test");
    ErrorBoxReader::text.clear();
    SetTimer(nullptr, 0, 50, &ErrorBoxReader::Tick);
    OpenWebLink("nosuchscheme-soriel://host/", nullptr);
    EXPECT_EQ(ErrorBoxReader::text, L"Došlo k chybě při komunikaci s internetem!");
    EXPECT_EQ(ErrorBoxReader::title, L"Soriel link test") << "the application's title";
    EXPECT_TRUE(ErrorBoxReader::okButton);
    EXPECT_FALSE(ErrorBoxReader::otherButtons) << "one OK button only";
}

} // namespace
