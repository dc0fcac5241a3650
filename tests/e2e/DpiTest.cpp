#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AppPath.h"
#include "NewsPages.h"
#include "ProgramUnderTest.h"
#include "ScreenPixels.h"
#include "ScriptedHttpServer.h"
#include "ShellDesktop.h"
#include "Text.h"

// The program at 96, 144, 168 and 192 dpi. Wine gives every program the DPI of LogPixels as it
// starts (and sends no WM_DPICHANGED), so each scale starts main.exe, and the desktop's
// explorer that draws the notification area, after setting it.

namespace {

const wchar_t* const kDesktopKey = L"Control Panel\\Desktop";
const wchar_t* const kLogPixels = L"LogPixels";
// Where the value from before the test waits until it is put back: a run that crashed
// leaves it there for the next run (or the clean-up step of ctest) to restore.
const wchar_t* const kSavedKey = L"Software\\Soriel online tests";

std::optional<DWORD> ReadDword(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteDword(const wchar_t* key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value);
}

// The LogPixels of before the test again, or none when there was none (saved as 0).
void RestoreLogPixels()
{
    const std::optional<DWORD> saved = ReadDword(kSavedKey, kLogPixels);
    if (!saved)
        return;
    if (*saved)
        WriteDword(kDesktopKey, kLogPixels, *saved);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSavedKey);
}

void SetLogPixels(int dpi)
{
    if (!ReadDword(kSavedKey, kLogPixels))
        WriteDword(kSavedKey, kLogPixels, ReadDword(kDesktopKey, kLogPixels).value_or(0));
    WriteDword(kDesktopKey, kLogPixels, DWORD(dpi));
}

class LogPixelsRestored : public ::testing::Environment {
public:
    void SetUp() override { RestoreLogPixels(); }
    void TearDown() override { RestoreLogPixels(); }
};

// How many rows of the client area's rectangle show pure white: the height of white text.
int WhiteTextHeight(HWND window, RECT area)
{
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const std::vector<DWORD> pixels = ScreenPixels(area);
    const int width = area.right - area.left;
    int first = -1, last = -1;
    for (int y = 0; y < area.bottom - area.top; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[size_t(y * width + x)] == 0xFFFFFF) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

// The opaque pixels of a status icon of main.exe's, loaded at that size from its resources.
struct IconPicture {
    int size = 0;
    std::vector<DWORD> pixels; // 0x00RRGGBB, or ~0u where the picture is not fully opaque
};

IconPicture StatusIcon(const wchar_t* name, int size)
{
    const std::wstring program = GetAppPath() + L"main.exe";
    ModuleHandle module(
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    IconHandle icon(static_cast<HICON>(LoadImageW(module.Get(), name, IMAGE_ICON, size, size, 0)));
    ICONINFO info{};
    GetIconInfo(icon.Get(), &info);
    BitmapHandle colour(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    IconPicture picture{size, std::vector<DWORD>(size_t(size * size))};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, colour.Get(), 0, UINT(size), picture.pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : picture.pixels)
        pixel = (pixel >> 24) == 0xFF ? pixel & 0xFFFFFF : ~0u;
    return picture;
}

bool Near(DWORD a, DWORD b)
{
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 4)
            return false;
    return true;
}

// Whether the screen's bottom edge, where the taskbar is, shows the picture pixel for pixel,
// but for the notification area's edge, which Wine draws over its first columns: nine in ten
// of its opaque pixels. (The small picture stretched to the size matches about half of them.)
bool TaskbarShows(const IconPicture& picture)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = 3 * picture.size;
    const RECT bar{0, GetSystemMetrics(SM_CYSCREEN) - height, width, GetSystemMetrics(SM_CYSCREEN)};
    const std::vector<DWORD> pixels = ScreenPixels(bar);
    const auto opaque = size_t(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                             [](DWORD pixel) { return pixel != ~0u; }));
    for (int top = 0; top + picture.size <= height; ++top)
        for (int left = 0; left + picture.size <= width; ++left) {
            size_t matching = 0;
            for (int y = 0; y < picture.size; ++y)
                for (int x = 0; x < picture.size; ++x) {
                    const DWORD wanted = picture.pixels[size_t(y * picture.size + x)];
                    matching += wanted != ~0u && Near(wanted, pixels[size_t((top + y) * width + left + x)]);
                }
            if (opaque > 0 && matching * 10 >= opaque * 9)
                return true;
        }
    return false;
}

SIZE SizeOf(HWND window, bool client)
{
    RECT rect{};
    client ? GetClientRect(window, &rect) : GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// A left click in the main window's client area, where its windowless controls take it.
void ClickAt(HWND window, POINT point)
{
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

int Scaled(int designValue, int dpi) { return (designValue * dpi + 48) / 96; }

// The rows of the popup's colour strip in its first colour block, top to bottom, as the
// letters of the picture's three rows: A (#FFFF33), B (#FBDA30), C (#FFCC33). A picture drawn
// for the scale keeps each row whole; a smaller one stretched to the strip repeats other rows.
std::string StripRows(HWND popup)
{
    RECT rect{};
    GetWindowRect(popup, &rect);
    const int x = rect.left + (rect.right - rect.left) / 8;
    std::string rows;
    for (DWORD pixel : ScreenPixels({x, rect.top, x + 1, rect.bottom}))
        if (const char row = pixel == 0xFFFF33 ? 'A' : pixel == 0xFBDA30 ? 'B' : pixel == 0xFFCC33 ? 'C' : 0)
            rows += row;
    return rows;
}

struct Measured {
    SIZE window{}, logBox{}, soundBox{}, popup{};
    std::string strip;
    int titleHeight = 0;
    std::optional<std::string> newsLog;
};

} // namespace

TEST(Dpi, WindowPopupLinksAndTrayIconAreDrawnForTheScale)
{
    ScriptedHttpServer server;
    server.SetReply(Page("14:35", "Zpr%C3%A1va"));
    // The layout of 96 dpi (the window's client area, the log and sound boxes, the popup) at each
    // scale, the small icons' size there, and the popup strip's rows in the picture drawn for it.
    const struct {
        int dpi;
        SIZE window, logBox, soundBox, popup;
        int trayIcon;
        const char* strip;
    } scales[] = {
        {96, {458, 397}, {425, 265}, {129, 17}, {200, 300}, 16, "ABC"},
        {144, {687, 596}, {638, 398}, {194, 26}, {300, 450}, 24, "AABCC"},
        // At 175 % the small picture stretched to the strip's five rows repeats the middle
        // row, not the last: only the picture drawn for the scale shows AABBC.
        {168, {802, 695}, {744, 464}, {226, 30}, {350, 525}, 28, "AABBC"},
        {192, {916, 794}, {850, 530}, {258, 34}, {400, 600}, 32, "AABBCC"},
    };
    // A point inside each link (5 and 6 pixels into its place at 96 dpi) and what it opens.
    const struct {
        POINT design;
        std::string target;
    } links[] = {
        {{340, 382}, "/maker/"}, {{13, 9}, "/site/"}, {{13, 41}, "/portal/"}, {{13, 25}, "/broadcaster/"}};

    std::optional<Measured> at96;
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        SetLogPixels(scale.dpi);
        Measured measured;
        // A desktop of its own for each scale, entered by a thread that has made no window.
        std::thread([&] {
            const std::wstring name =
                L"soriel-dpi-" + std::to_wstring(scale.dpi) + L"-" + std::to_wstring(GetCurrentProcessId());
            ShellDesktop desktop(name, L"1280x1024");
            const std::string base = "http://127.0.0.1:9/" + std::to_string(scale.dpi);
            ProgramFolder folder;
            folder.Write(L"main.ini", "[Sources]\r\nNewsURL=" + server.Url("/index.php/zpravodajstvy") + "\r\n" +
                                          kQuietUpdate + "MakerURL=" + base + links[0].target + "\r\nSiteURL=" +
                                          base + links[1].target + "\r\nPortalURL=" + base + links[2].target +
                                          "\r\nBroadcasterURL=" + base + links[3].target + "\r\n");
            RunningProgram program(folder, {.wineTrace = L"+exec", .desktop = name});

            // The popup grows to its full size at the scale.
            std::vector<HWND> popups;
            ASSERT_TRUE(WaitUntil([&] { return !(popups = program.Popups()).empty(); }, 20000));
            EXPECT_TRUE(WaitUntil(
                [&] {
                    measured.popup = SizeOf(popups[0], false);
                    return measured.popup.cx == scale.popup.cx && measured.popup.cy == scale.popup.cy;
                },
                5000))
                << measured.popup.cx << "x" << measured.popup.cy;
            EXPECT_TRUE(WaitUntil([&] { return (measured.strip = StripRows(popups[0])) == scale.strip; }, 5000))
                << measured.strip;

            EXPECT_TRUE(WaitUntil(
                [&] {
                    return TaskbarShows(StatusIcon(L"STATUS0", scale.trayIcon)) ||
                           TaskbarShows(StatusIcon(L"STATUS1", scale.trayIcon));
                },
                10000))
                << "the notification area shows the " << scale.trayIcon << "-pixel picture";

            HWND main = program.MainWindow();
            ASSERT_NE(main, nullptr);
            EXPECT_NE(program.LogText().find("Zpráva"), std::string::npos); // shows the window
            ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 10000));
            measured.window = SizeOf(main, true);
            measured.logBox = SizeOf(program.ShownChildOfClass(L"RICHEDIT50W"), false);
            measured.soundBox = SizeOf(program.ShownChildOfClass(L"Button"), false);
            for (const auto& [box, expected] : {std::pair{measured.window, scale.window},
                                                {measured.logBox, scale.logBox},
                                                {measured.soundBox, scale.soundBox}}) {
                EXPECT_NEAR(box.cx, expected.cx, 3);
                EXPECT_NEAR(box.cy, expected.cy, 3);
            }
            // "Soriel online" in white, right of the links and above the log's frame.
            const RECT title{Scaled(239, scale.dpi), 0, scale.window.cx, Scaled(72, scale.dpi)};
            EXPECT_TRUE(WaitUntil([&] { return (measured.titleHeight = WhiteTextHeight(main, title)) > 0; }, 5000));

            for (const auto& link : links) {
                const std::string url = base + link.target;
                ASSERT_EQ(Count(WineTrace().value_or(""), url), 0u) << url;
                ClickAt(main, {Scaled(link.design.x, scale.dpi), Scaled(link.design.y, scale.dpi)});
                EXPECT_TRUE(WaitUntil([&] { return Count(WineTrace().value_or(""), url) > 0; }, 10000))
                    << url << " is opened through the shell";
            }
            ASSERT_TRUE(WineTrace()) << "run through ctest: the shell's calls are seen in Wine's trace";
            ASSERT_TRUE(program.Exit());
            measured.newsLog = folder.Read(L"news.rtf");
        }).join();

        printf("[ geometry ] %d dpi: window client %ldx%ld, log box %ldx%ld, sound box %ldx%ld, popup %ldx%ld, "
               "strip rows %s, title text %d px high\n",
               scale.dpi, measured.window.cx, measured.window.cy, measured.logBox.cx, measured.logBox.cy,
               measured.soundBox.cx, measured.soundBox.cy, measured.popup.cx, measured.popup.cy,
               measured.strip.c_str(), measured.titleHeight);
        if (!at96) {
            at96 = measured;
            continue;
        }
        EXPECT_NEAR(measured.titleHeight, at96->titleHeight * scale.dpi / 96, 2);
        // What the log stores does not change with the screen: the same sizes at every DPI.
        EXPECT_EQ(measured.newsLog, at96->newsLog);
    }
    RestoreLogPixels();
}

int main(int argc, char** argv)
{
    // ctest's clean-up step: the DPI of before, even after a run that crashed.
    if (argc > 1 && std::strcmp(argv[1], "--restore-log-pixels") == 0) {
        RestoreLogPixels();
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LogPixelsRestored);
    return RUN_ALL_TESTS();
}
