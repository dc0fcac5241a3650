#include <gtest/gtest.h>

#include <algorithm>

#include "ShellDesktop.h"
#include "Text.h"
#include "TrayIconHandler.h"
#include "TrayObserver.h"
#include "TrayTestSupport.h"
#include "Waiting.h"

namespace {

bool Shows(COLORREF colour) { return TaskbarPixelCount(colour) == 16 * 16; }
bool ShowsNothingOf(COLORREF colour) { return TaskbarPixelCount(colour) == 0; }

// The taskbar's pixels can be read only while no other desktop on the X display covers it;
// the test programs that make desktops of their own never run at once (their CTest lock).
#define EXPECT_TASKBAR(condition)                                                                  \
    do {                                                                                           \
        if (!PumpUntil([&] { return ShellDesktop::Current->OnTop() && (condition); }))             \
            ADD_FAILURE() << (ShellDesktop::Current->OnTop() ? "the taskbar does not show " #condition \
                                                              : "another desktop covers this one");   \
    } while (false)

// An icon on a plain owner, with the three-image list.
struct ShellEntry : ::testing::Test {
    TComponent owner{nullptr};
    TImageList* list = MakeImageList(&owner);
    TTrayIcon* icon = nullptr;

    TTrayIcon& MakeIcon()
    {
        icon = new TTrayIcon(&owner);
        icon->SetIconList(list);
        return *icon;
    }
    bool InShell() const { return ShellHasIcon(icon->TrayData().hWnd, icon->IconId()); }
};

// The tip window the shell made for entries added since the list was taken.
HWND NewTooltip(const std::vector<HWND>& before)
{
    for (HWND tooltip : ShellTooltips())
        if (std::find(before.begin(), before.end(), tooltip) == before.end())
            return tooltip;
    return nullptr;
}

TEST_F(ShellEntry, IsAddedModifiedAndDeletedWithTheComponent)
{
    const std::vector<HWND> tooltips = ShellTooltips();
    TTrayIcon& tray = MakeIcon();
    tray.SetHint("Soriel online");
    EXPECT_FALSE(InShell()) << "not visible yet";

    tray.SetIconVisible(true);
    EXPECT_TRUE(InShell());
    EXPECT_TASKBAR(Shows(kImageColours[0]));
    HWND tooltip = NewTooltip(tooltips);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(TooltipText(tooltip), L"Soriel online");

    tray.SetIconIndex(1);
    EXPECT_TASKBAR(Shows(kImageColours[1]) && ShowsNothingOf(kImageColours[0]));
    tray.SetHint("Soriel online – zprávy z vily");
    EXPECT_EQ(TooltipText(tooltip), L"Soriel online – zprávy z vily");

    const HWND window = tray.TrayData().hWnd;
    const UINT id = tray.IconId();
    delete icon;
    EXPECT_FALSE(ShellHasIcon(window, id));
    EXPECT_TASKBAR(ShowsNothingOf(kImageColours[1]));
}

TEST_F(ShellEntry, RecordNamesTheSharedWindowAndTheCallbackMessage)
{
    TTrayIcon& tray = MakeIcon();
    const NOTIFYICONDATAW& data = tray.TrayData();
    EXPECT_EQ(data.cbSize, NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(data.hWnd, TrayHandler()->Window());
    EXPECT_EQ(data.uID, tray.IconId());
    EXPECT_EQ(data.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, 0x800u);
}

TEST_F(ShellEntry, IconIndexIsClampedToTheListAndEveryAssignmentReachesTheShell)
{
    TTrayIcon& tray = MakeIcon();
    tray.SetIconVisible(true);

    tray.SetIconIndex(5);
    EXPECT_EQ(tray.IconIndex(), 2);
    EXPECT_EQ(IconColour(tray.Icon().Handle()), kImageColours[2]);
    EXPECT_TASKBAR(Shows(kImageColours[2]));

    // Someone else changes the entry; assigning the same index puts the picture back.
    NOTIFYICONDATAW other = tray.TrayData();
    IconHandle foreign = SolidIcon(RGB(255, 255, 0));
    other.uFlags = NIF_ICON;
    other.hIcon = foreign.Get();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &other));
    EXPECT_TASKBAR(Shows(RGB(255, 255, 0)));
    tray.SetIconIndex(2);
    EXPECT_TASKBAR(Shows(kImageColours[2]) && ShowsNothingOf(RGB(255, 255, 0)));

    tray.SetIconIndex(-1);
    EXPECT_EQ(tray.IconIndex(), -1);
    EXPECT_TRUE(tray.Icon().Empty());
    EXPECT_TRUE(InShell());
    EXPECT_TASKBAR(ShowsNothingOf(kImageColours[2]));
}

TEST_F(ShellEntry, WithoutImageListTheIndexIsZero)
{
    TTrayIcon& tray = MakeIcon();
    tray.SetIconList(nullptr);
    tray.SetIconIndex(2);
    EXPECT_EQ(tray.IconIndex(), 0);
}

TEST_F(ShellEntry, RemovingTheImageListResetsTheIndexAndKeepsThePicture)
{
    TTrayIcon& tray = MakeIcon();
    tray.SetIconIndex(1);
    delete list;
    EXPECT_EQ(tray.IconList(), nullptr);
    EXPECT_EQ(tray.IconIndex(), 0);
    EXPECT_EQ(IconColour(tray.Icon().Handle()), kImageColours[1]);
}

TEST_F(ShellEntry, LongHintReachesTheShellCutTo127Characters)
{
    const std::vector<HWND> tooltips = ShellTooltips();
    TTrayIcon& tray = MakeIcon();
    std::string hint;
    for (int i = 0; i < 200; ++i)
        hint += char('a' + i % 26);
    tray.SetHint(hint);
    tray.SetIconVisible(true);
    HWND tooltip = NewTooltip(tooltips);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(TooltipText(tooltip), Widen(hint.substr(0, 127)));
    EXPECT_EQ(tray.Hint(), hint) << "the component keeps the whole hint";

    tray.SetShowHint(false);
    EXPECT_EQ(TooltipText(tooltip), L"");
    tray.SetShowHint(true);
    tray.SetHint("");
    EXPECT_EQ(TooltipText(tooltip), L"");
}

TEST_F(ShellEntry, TaskbarCreatedBroadcastAddsTheEntryAgain)
{
    TTrayIcon& tray = MakeIcon();
    tray.SetIconVisible(true);
    ASSERT_TRUE(InShell());

    // The shell restarted and lost its entries.
    NOTIFYICONDATAW data = tray.TrayData();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(InShell());
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return InShell(); }));
    EXPECT_TASKBAR(Shows(kImageColours[0]));

    // A hidden icon stays out.
    tray.SetIconVisible(false);
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    PumpFor(300);
    EXPECT_FALSE(InShell());
}

TEST(TrayWindow, TwoIconsShareOneCallbackWindowAndTheMouseReachesTheRightOne)
{
    TComponent owner(nullptr);
    auto* first = new TTrayIcon(&owner);
    auto* second = new TTrayIcon(&owner);
    TIcon picture;
    picture.SetHandle(SolidIcon(kImageColours[0]));
    first->SetIcon(picture);
    picture.SetHandle(SolidIcon(kImageColours[1]));
    second->SetIcon(picture);
    first->SetIconVisible(true);
    second->SetIconVisible(true);

    EXPECT_EQ(first->TrayData().hWnd, second->TrayData().hWnd);
    EXPECT_NE(first->IconId(), second->IconId());
    EXPECT_EQ(TrayHandler()->RefCount, 2u);

    std::vector<std::string> downs;
    first->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { downs.push_back("first"); };
    second->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { downs.push_back("second"); };

    // A real press on the second icon, where the taskbar shows it.
    std::optional<POINT> where;
    EXPECT_TASKBAR((where = TaskbarPixelCentre(kImageColours[1])).has_value());
    ASSERT_TRUE(where.has_value());
    SetCursorPos(where->x, where->y);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_MIDDLEDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
    SendInput(2, press, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return !downs.empty(); }));
    EXPECT_EQ(downs, std::vector<std::string>{"second"});

    delete first;
    EXPECT_EQ(TrayHandler()->RefCount, 1u);
    HWND window = second->TrayData().hWnd;
    delete second;
    EXPECT_EQ(TrayHandler(), nullptr) << "freed with its last icon";
    EXPECT_FALSE(IsWindow(window));
}

TEST(TrayWindow, CallbackOfAnIconThatIsGoneIsIgnored)
{
    TComponent owner(nullptr);
    auto* kept = new TTrayIcon(&owner);
    auto* gone = new TTrayIcon(&owner);
    int downs = 0;
    kept->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { ++downs; };
    const UINT goneId = gone->IconId();
    delete gone;
    PostMessageW(kept->TrayData().hWnd, TrayCallbackMessage, goneId, WM_RBUTTONDOWN);
    PostMessageW(kept->TrayData().hWnd, TrayCallbackMessage, kept->IconId(), WM_MBUTTONDOWN);
    EXPECT_TRUE(PumpUntil([&] { return downs == 1; }));
    PumpFor(100);
    EXPECT_EQ(downs, 1);
}

TEST(TrayWindow, AnswersTheSystemsEndOfSessionQuestions)
{
    TComponent owner(nullptr);
    auto* icon = new TTrayIcon(&owner);
    HWND window = icon->TrayData().hWnd;
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(SendMessageW(window, WM_ENDSESSION, 1, 0), 1);
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window)) << "a close request does not end it";
    EXPECT_EQ(SendMessageW(window, WM_USERCHANGED, 0, 0), 0);
}

} // namespace
