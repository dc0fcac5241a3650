#include <gtest/gtest.h>

#include "SoundPlayer.h"

namespace {

// Which sounds the program plays is read from Wine's trace of winmm: see news_e2e_test.
TEST(SoundPlayer, AStoredVersionIsTakenAndHasNoEffect)
{
    TSoundPlayer player(nullptr);
    const std::string version = player.Version();
    player.SetVersion("stored in a form file");
    EXPECT_EQ(player.Version(), version);
}

} // namespace
