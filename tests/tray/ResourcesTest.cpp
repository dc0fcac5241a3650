#include <gtest/gtest.h>

#include "ImageList.h"
#include "TrayObserver.h"

namespace {

// The program's pictures, as main.exe carries them.
TEST(TrayResources, StatusImagesLoadAsThreeDistinct16By16Icons)
{
    TComponent owner(nullptr);
    TImageList list(&owner);
    EXPECT_EQ(list.AddResourceIcon(L"STATUS0"), 0);
    EXPECT_EQ(list.AddResourceIcon(L"STATUS1"), 1);
    EXPECT_EQ(list.AddResourceIcon(L"STATUS2"), 2);
    ASSERT_EQ(list.Count(), 3);

    // The badges differ in colour (their middles are all the white sign).
    std::vector<COLORREF> tops;
    for (int i = 0; i < 3; ++i) {
        TIcon icon;
        list.GetIcon(i, icon);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.Handle(), &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        EXPECT_EQ(bitmap.bmWidth, 16);
        EXPECT_EQ(bitmap.bmHeight, 16);
        tops.push_back(IconColour(icon.Handle(), 8, 2).value_or(0));
    }
    EXPECT_NE(tops[0], tops[1]);
    EXPECT_NE(tops[1], tops[2]);
    EXPECT_NE(tops[0], tops[2]);

    TIcon none;
    list.GetIcon(3, none);
    EXPECT_TRUE(none.Empty());
    list.GetIcon(-1, none);
    EXPECT_TRUE(none.Empty());
}

TEST(TrayResources, ProgramIconAndStoredTrayIconArePresent)
{
    EXPECT_NE(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 32, 32, LR_SHARED), nullptr);
    EXPECT_NE(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 16, 16, LR_SHARED), nullptr);
    TIcon stored;
    stored.LoadFromResource(L"TRAYICON", 16);
    EXPECT_FALSE(stored.Empty());
}

TEST(TrayResources, MissingResourceIsAnError)
{
    TComponent owner(nullptr);
    TImageList list(&owner);
    EXPECT_THROW(list.AddResourceIcon(L"NOSUCHICON"), std::exception);
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
