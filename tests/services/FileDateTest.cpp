#include <gtest/gtest.h>

#include "FileDate.h"

namespace {

TEST(FileDateToDateTime, CountsDaysFrom1899WithTheTimeAsFraction)
{
    constexpr uint64_t kUnixEpoch = 116'444'736'000'000'000; // 1 January 1970
    constexpr uint64_t kTicksPerHour = 36'000'000'000;
    EXPECT_EQ(FileDateToDateTime(0), -109205.0);
    EXPECT_EQ(FileDateToDateTime(kUnixEpoch), 25569.0);
    EXPECT_DOUBLE_EQ(FileDateToDateTime(kUnixEpoch + 18 * kTicksPerHour), 25569.75);
    // Ticks below a millisecond are dropped.
    EXPECT_DOUBLE_EQ(FileDateToDateTime(kUnixEpoch + 10'000 + 9'999), 25569.0 + 1.0 / 86'400'000);
}

} // namespace
