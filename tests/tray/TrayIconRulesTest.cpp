#include "TrayIconRules.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayIconRules, IconIndexAtOrBeyondTheEndBecomesTheLastImage)
{
    EXPECT_EQ(ClampIconIndex(5, 3), 2);
    EXPECT_EQ(ClampIconIndex(3, 3), 2);
    EXPECT_EQ(ClampIconIndex(2, 3), 2);
    EXPECT_EQ(ClampIconIndex(0, 3), 0);
    EXPECT_EQ(ClampIconIndex(-1, 3), -1);
    EXPECT_EQ(ClampIconIndex(0, 0), -1) << "an empty list has no image";
}

TEST(TrayIconRules, CyclingWrapsAfterTheLastImage)
{
    EXPECT_EQ(NextCycleIndex(0, 3), 1);
    EXPECT_EQ(NextCycleIndex(1, 3), 2);
    EXPECT_EQ(NextCycleIndex(2, 3), 0);
    EXPECT_EQ(NextCycleIndex(0, 1), 0);
    EXPECT_EQ(NextCycleIndex(0, 0), 0);
}

TEST(TrayIconRules, TipKeepsAtMost127UnitsOfTheHint)
{
    EXPECT_EQ(TrayTipText(std::string(200, 'x'), true), std::wstring(127, L'x'));
    EXPECT_EQ(TrayTipText(std::string(127, 'x'), true), std::wstring(127, L'x'));
    EXPECT_EQ(TrayTipText("Soriel online 3.1.0.0", true), L"Soriel online 3.1.0.0");
}

TEST(TrayIconRules, TipIsEmptyWhenTheHintIsNotShown)
{
    EXPECT_EQ(TrayTipText("Soriel online", false), L"");
    EXPECT_EQ(TrayTipText("", true), L"");
}

TEST(TrayIconRules, TipCountsCzechLettersAsOneUnitAndNeverSplitsASurrogatePair)
{
    std::string czech;
    for (int i = 0; i < 130; ++i)
        czech += "ž";
    EXPECT_EQ(TrayTipText(czech, true), std::wstring(127, L'ž'));

    // A character outside the basic plane needs two units; at unit 127 it does not fit.
    std::string hint = std::string(126, 'a') + "\xF0\x9F\x93\xBA" + "b";
    EXPECT_EQ(TrayTipText(hint, true), std::wstring(126, L'a'));
    hint = std::string(125, 'a') + "\xF0\x9F\x93\xBA" + "b";
    EXPECT_EQ(TrayTipText(hint, true), std::wstring(125, L'a') + L"\U0001F4FA");
}

TEST(TrayIconRules, HintKeepsAtMost255CharactersWithoutSplittingOne)
{
    EXPECT_EQ(LimitHint(std::string(300, 'x')), std::string(255, 'x'));
    std::string czech;
    for (int i = 0; i < 300; ++i)
        czech += "č";
    EXPECT_EQ(LimitHint(czech), czech.substr(0, 255 * 2));
    EXPECT_EQ(LimitHint("Soriel online"), "Soriel online");
}

} // namespace
