#include <gtest/gtest.h>

#include "AppPath.h"
#include "SoundPlayer.h"
#include "Text.h"

namespace {

// Whether a sound is heard is not observable here; under Wine, WINEDEBUG=+winmm traces each
// start as proc_PlaySound SoundName=L"<path>".
TEST(SoundPlayer, AMissingFileIsSilentAndStillRaisesOnPlay)
{
    TSoundPlayer player(nullptr);
    std::vector<TSoundPlayer*> played;
    player.OnPlay = [&](TSoundPlayer& sender) { played.push_back(&sender); };
    player.SoundFile = Narrow(GetAppPath() + L"no such sound.wav");
    player.Play();
    player.LoopSound = true;
    player.Play();
    EXPECT_EQ(played, (std::vector<TSoundPlayer*>{&player, &player}));
}

TEST(SoundPlayer, AStoredVersionIsTakenAndHasNoEffect)
{
    TSoundPlayer player(nullptr);
    const std::string version = player.Version();
    player.SetVersion("stored in a form file");
    EXPECT_EQ(player.Version(), version);
}

} // namespace
