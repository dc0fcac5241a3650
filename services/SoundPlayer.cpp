#include "SoundPlayer.h"

#include <windows.h>
#include <mmsystem.h>

#include "Text.h"

TSoundPlayer::TSoundPlayer(TComponent* owner) : TComponent(owner) {}

void TSoundPlayer::Play()
{
    UINT flags = SND_ASYNC | SND_NODEFAULT | (LoopSound ? SND_LOOP : 0);
    sndPlaySoundW(Widen(SoundFile).c_str(), flags);
    if (OnPlay)
        OnPlay(*this);
}
