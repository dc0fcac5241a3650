#include <gtest/gtest.h>

#include "WindowsVersionRules.h"

namespace {

TEST(WindowsVersionRules, DropShadowOnXpEraAndSevenToEightPointOne)
{
    EXPECT_FALSE(HasDropShadow(PlatformNT, 5, 0));
    EXPECT_TRUE(HasDropShadow(PlatformNT, 5, 1));
    EXPECT_TRUE(HasDropShadow(PlatformNT, 5, 2));
    EXPECT_FALSE(HasDropShadow(PlatformNT, 6, 0));
    EXPECT_TRUE(HasDropShadow(PlatformNT, 6, 1));
    EXPECT_TRUE(HasDropShadow(PlatformNT, 6, 3));
    EXPECT_FALSE(HasDropShadow(PlatformNT, 10, 0));
    EXPECT_FALSE(HasDropShadow(1, 5, 1));
}

TEST(WindowsVersionRules, LegacyNtIsFourPointZeroAndOlder)
{
    EXPECT_TRUE(IsLegacyNT(PlatformNT, 4, 0));
    EXPECT_TRUE(IsLegacyNT(PlatformNT, 3, 51));
    EXPECT_FALSE(IsLegacyNT(PlatformNT, 3, 50));
    EXPECT_FALSE(IsLegacyNT(PlatformNT, 5, 0));
    EXPECT_FALSE(IsLegacyNT(1, 4, 0));
}

} // namespace
