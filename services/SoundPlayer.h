#pragma once
#include <functional>
#include <string>

#include "Component.h"

// Plays one sound through the system's simple player without waiting for it. The name is
// handed over at each Play: a wave file's path or a system sound alias. A missing file
// plays nothing (never the system's default sound) and is not reported.
class TSoundPlayer;
using TOnPlayEvent = std::function<void(TSoundPlayer&)>;
using TOnStopEvent = std::function<void(TSoundPlayer&)>;

class TSoundPlayer : public TComponent {
public:
    explicit TSoundPlayer(TComponent* owner);

    std::string SoundFile;
    // Repeats until the next sound of this process replaces it.
    bool LoopSound = false;
    TOnPlayEvent OnPlay;
    // For a stop that this program never makes: nothing raises it.
    TOnStopEvent OnStop;

    // Informational; a stored value is taken and has no effect.
    std::string Version() const { return "TSoundPlayer 1.0"; }
    void SetVersion(const std::string&) {}

    void Play();
};
