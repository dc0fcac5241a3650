#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <oleacc.h>

#include "AccessibleClient.h"
#include "ClientPixel.h"
#include "ComApartment.h"
#include "ComPtr.h"
#include "Cursors.h"
#include "ErrorBoxReader.h"
#include "Forms.h"
#include "LinkLabels.h"
#include "MultiGradient.h"
#include "OpenedMarker.h"
#include "Text.h"
#include "Waiting.h"

namespace {

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A link label on the form, at these bounds, with this caption.
TLinkLabel* PlaceLink(TForm& form, int left, int top, int width, int height, const char* caption)
{
    auto* link = new TLinkLabel(&form);
    link->SetBounds(left, top, width, height);
    link->SetParent(&form);
    link->SetCaption(caption);
    return link;
}

VARIANT ChildId(long id)
{
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

TEST(LinkLabel, ClickOpensOnlyALinkAddressAndShowsTheLinkErrorForAnyOther)
{
    OpenedMarker target;
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    auto* link = PlaceLink(form, 10, 10, 80, 13, "odkaz");
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

// A real key press, through the system's input queue as the keyboard's would come.
void Press(WORD key, bool shift = false)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD code, DWORD flags) {
        INPUT input{INPUT_KEYBOARD};
        input.ki.wVk = code;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (shift)
        add(VK_SHIFT, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (shift)
        add(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST(LinkLabel, TabReachesTheLinksInReadingOrderAndEnterActsOnTheFocusedOne)
{
    OpenedMarker target;
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    // Made first, but lower on the window: second in the Tab order.
    auto* lower = PlaceLink(form, 10, 60, 80, 13, "dole");
    auto* upper = PlaceLink(form, 10, 10, 80, 13, "nahoře");
    upper->URL = Narrow(target.script);
    int escapes = 0;
    form.OnEscape = [&](TForm&) { ++escapes; };
    form.LoadedTree();
    form.BringToFront();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == form.Handle(); }));

    Press(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return form.ActiveControl() == upper; }));
    Press(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return form.ActiveControl() == lower; }));
    Press(VK_TAB, true);
    EXPECT_TRUE(PumpUntil([&] { return form.ActiveControl() == upper; }));
    Press(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return escapes == 1; }));
    EXPECT_FALSE(target.Opened());

    // Enter takes the click's way: a program's path is refused there too.
    ErrorBoxReader::text.clear();
    SetTimer(nullptr, 0, 50, &ErrorBoxReader::Tick);
    Press(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return upper->Visited(); }, 15000));
    EXPECT_EQ(ErrorBoxReader::text, L"Došlo k chybě při komunikaci s internetem!");
    EXPECT_FALSE(target.Opened());
    EXPECT_FALSE(lower->Visited());
}

// What assistive technology asks of the links, through the system as a screen reader would:
// where each is, which is under a point, and their default action, which takes the click's way.
TEST(LinkLabel, AssistiveTechnologyFindsTheLinksAndActsOnThem)
{
    static const ComApartment apartment;
    OpenedMarker target;
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    auto* upper = PlaceLink(form, 10, 10, 80, 13, "nahoře");
    upper->URL = Narrow(target.script);
    auto* lower = PlaceLink(form, 30, 60, 90, 20, "dole");
    form.LoadedTree();
    form.Show();
    ComPtr<IAccessible> client;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(form.Handle(), DWORD(OBJID_CLIENT), kIIDAccessible,
                                                     reinterpret_cast<void**>(client.Put()))));
    const auto childNamed = [&](const std::wstring& name) {
        long count = 0;
        client->get_accChildCount(&count);
        for (long id = 1; id <= count; ++id) {
            BSTR text = nullptr;
            const bool named = SUCCEEDED(client->get_accName(ChildId(id), &text)) && text &&
                               name == text;
            SysFreeString(text);
            if (named)
                return id;
        }
        return -1L;
    };
    POINT origin{0, 0};
    ClientToScreen(form.Handle(), &origin);
    for (TLinkLabel* link : {upper, lower}) {
        const long id = childNamed(Widen(link->Caption()));
        ASSERT_GT(id, 0);
        long left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(client->accLocation(&left, &top, &width, &height, ChildId(id)), S_OK);
        EXPECT_EQ((std::vector<long>{left, top, width, height}),
                  (std::vector<long>{origin.x + link->Left(), origin.y + link->Top(), link->Width(), link->Height()}));
        VARIANT hit{};
        ASSERT_EQ(client->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
        EXPECT_EQ(hit.vt, VT_I4);
        EXPECT_EQ(hit.lVal, id);
    }
    VARIANT backdrop{};
    ASSERT_EQ(client->accHitTest(origin.x + 150, origin.y + 30, &backdrop), S_OK);
    EXPECT_EQ(backdrop.lVal, CHILDID_SELF);

    // A program's path where an address should be: refused, as a click would refuse it.
    ErrorBoxReader::text.clear();
    SetTimer(nullptr, 0, 50, &ErrorBoxReader::Tick);
    EXPECT_EQ(client->accDoDefaultAction(ChildId(childNamed(L"nahoře"))), S_OK);
    EXPECT_TRUE(upper->Visited());
    EXPECT_EQ(ErrorBoxReader::text, L"Došlo k chybě při komunikaci s internetem!");
    EXPECT_FALSE(target.Opened());
    EXPECT_FALSE(lower->Visited());
}

// Whether the screen shows that colour somewhere in the control.
bool ShowsColour(HWND window, const TControl& control, COLORREF colour)
{
    for (int y = control.Top(); y < control.Top() + control.Height(); ++y)
        for (int x = control.Left(); x < control.Left() + control.Width(); ++x)
            if (ClientPixel(window, x, y) == colour)
                return true;
    return false;
}

// Wine cannot switch high contrast on (SPI_SETHIGHCONTRAST fails, and the mode always
// reads off): the test sets the program's idea of it, and the change message switches it
// back from the system.
TEST(LinkLabel, HighContrastPaintsTextAndLinksInTheSystemsColoursWithoutBackdrop)
{
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    auto* backdrop = new TMultiGradient(&form);
    backdrop->SetBounds(0, 0, 200, 100);
    backdrop->SetParent(&form);
    for (int slot = 0; slot < TGradient::kSlots; ++slot)
        backdrop->Gradient.SetActive(slot, slot == 0);
    backdrop->Gradient.SetColor(0, clAqua);
    auto* label = new TFxLabel(&form);
    label->SetBounds(10, 10, 120, 20);
    label->SetParent(&form);
    label->Transparent = true;
    label->Font.Set("Tahoma", -16, clYellow, fsBold);
    label->SetShadowStyle(TShadowStyle::ssRaised);
    label->SetCaption("Soriel online");
    auto* link = PlaceLink(form, 10, 60, 120, 20, "www.example.cz");
    link->Font.Set("Tahoma", -16, clYellow, fsBold | fsUnderline);
    form.LoadedTree();
    form.BringToFront();
    const COLORREF aqua = RGB(0, 255, 255);
    ASSERT_TRUE(PumpUntil([&] { return ClientPixel(form.Handle(), 190, 90) == aqua; }));

    SetHighContrastOn(true);
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(PumpUntil([&] { return ClientPixel(form.Handle(), 190, 90) == GetSysColor(COLOR_WINDOW); }));
    EXPECT_TRUE(ShowsColour(form.Handle(), *label, GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_TRUE(ShowsColour(form.Handle(), *link, GetSysColor(COLOR_HOTLIGHT)));
    EXPECT_FALSE(ShowsColour(form.Handle(), *link, RGB(255, 255, 0)));

    // Switched off: the system says so when its colours change.
    SendMessageW(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_FALSE(HighContrastOn());
    EXPECT_TRUE(PumpUntil([&] { return ClientPixel(form.Handle(), 190, 90) == aqua; }));
}

TEST(LinkLabel, EmptyTargetOpensNothingAndAnUnknownOneFails)
{
    EXPECT_EQ(ShellOpen(""), 0);
    EXPECT_LE(ShellOpen("nosuchscheme-soriel://host/"), 32);
}

TEST(LinkLabel, HandCursorsComeFromTheProgramWithTheirHotSpotsDrawnForTheDpi)
{
    RegisterHandCursors();
    const struct {
        int id;
        int dpi;
        LONG size;
        DWORD x, y;
    } cursors[] = {{15000, 96, 32, 6, 0},  {15001, 96, 32, 13, 9}, {15002, 96, 32, 4, 2},
                   {15003, 96, 32, 0, 0},  {15004, 96, 32, 0, 0},  {15000, 144, 48, 9, 0},
                   {15000, 192, 64, 12, 0}, {15001, 192, 64, 26, 18}};
    for (const auto& c : cursors) {
        SCOPED_TRACE(std::to_string(c.id) + " at " + std::to_string(c.dpi));
        HCURSOR cursor = CursorFromId(c.id, c.dpi);
        ASSERT_NE(cursor, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_EQ(info.xHotspot, c.x);
        EXPECT_EQ(info.yHotspot, c.y);
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, c.size) << "the cursor size of that DPI";
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    TLinkLabel link(nullptr);
    EXPECT_EQ(link.Cursor, crHandPoint);
    EXPECT_EQ(link.Font.Style, unsigned(fsUnderline));
}

} // namespace
