#include <gtest/gtest.h>

#include <string>

#include "Cursors.h"
#include "ErrorBoxReader.h"
#include "Forms.h"
#include "LinkLabels.h"
#include "Text.h"
#include "Waiting.h"

namespace {

std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

// A command file the shell runs when asked to open it; it leaves a file behind.
struct OpenedMarker {
    OpenedMarker()
    {
        DeleteFileW(marker.c_str());
        const std::string body = "@echo opened>\"" + Narrow(marker) + "\"\r\n";
        HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, body.data(), DWORD(body.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~OpenedMarker()
    {
        DeleteFileW(script.c_str());
        DeleteFileW(marker.c_str());
    }
    bool Opened() const { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring script = TempFolder() + L"soriel_link_target.cmd";
    std::wstring marker = TempFolder() + L"soriel_link_opened.txt";
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

TEST(LinkLabel, ClickOpensOnlyALinkAddressAndShowsTheLinkErrorForAnyOther)
{
    OpenedMarker target;
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    auto* link = new TLinkLabel(&form);
    link->SetBounds(10, 10, 80, 13);
    link->SetParent(&form);
    link->SetCaption("odkaz");
    // A program's path where an address should be, as a hand-edited main.ini may hold.
    link->URL = Narrow(target.script);
    form.LoadedTree();
    form.Show();
    const HWND window = form.Handle();

    // Pressed, dragged out and released outside: nothing opens.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    EXPECT_EQ(link->Font.Color, clRed);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(150, 60));
    SendMessageW(window, WM_LBUTTONUP, 0, At(150, 60));
    EXPECT_EQ(link->Font.Color, clBlue);
    EXPECT_FALSE(link->Visited());

    ErrorBoxReader::text.clear();
    SetTimer(nullptr, 0, 50, &ErrorBoxReader::Tick);
    SendMessageW(window, WM_MOUSEMOVE, 0, At(15, 15));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    SendMessageW(window, WM_LBUTTONUP, 0, At(15, 15));
    EXPECT_EQ(ErrorBoxReader::text, L"Došlo k chybě při komunikaci s internetem!");
    EXPECT_TRUE(link->Visited());
    EXPECT_EQ(link->Font.Color, clNavy);
    EXPECT_FALSE(target.Opened());

    // The shell itself opens what it is given: the label is what keeps the program out.
    ShellOpen(link->URL);
    EXPECT_TRUE(WaitUntil([&] { return target.Opened(); }, 15000));
}

TEST(LinkLabel, EmptyTargetOpensNothingAndAnUnknownOneFails)
{
    EXPECT_EQ(ShellOpen(""), 0);
    EXPECT_LE(ShellOpen("nosuchscheme-soriel://host/"), 32);
}

TEST(LinkLabel, HandCursorsComeFromTheProgramWithTheirHotSpots)
{
    RegisterHandCursors();
    const struct {
        int id;
        DWORD x, y;
    } cursors[] = {{15000, 6, 0}, {15001, 13, 9}, {15002, 4, 2}, {15003, 0, 0}, {15004, 0, 0}};
    for (const auto& c : cursors) {
        HCURSOR cursor = CursorFromId(c.id);
        ASSERT_NE(cursor, nullptr) << c.id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_EQ(info.xHotspot, c.x) << c.id;
        EXPECT_EQ(info.yHotspot, c.y) << c.id;
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    TLinkLabel link(nullptr);
    EXPECT_EQ(link.Cursor, CursorFromId(crHandPoint));
    EXPECT_EQ(link.Font.Style, unsigned(fsUnderline));
}

} // namespace
