#include "PopupHoldRule.h"

#include <cstdio>

bool MustHoldPopups(const PopupHoldFacts& facts)
{
    if (facts.focusAssistOn || facts.quiet.On(facts.nowMs))
        return true;
    switch (facts.shellState) {
    case snsBusy:
    case snsFullScreenDirect3D:
    case snsPresentationMode:
    case snsQuietTime:
        return true;
    }
    if (facts.noForegroundWindow || facts.foregroundMaximizedWithCaption)
        return false;
    const HoldRect& window = facts.foreground;
    const HoldRect& monitor = facts.monitor;
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

bool FocusAssistIsOn(std::int32_t status, std::span<const std::byte> profile)
{
    if (status < 0 || profile.size() != 4)
        return false;
    for (std::byte b : profile)
        if (b != std::byte{0})
            return true;
    return false;
}

std::string MoreItemsText(int others)
{
    // Czech counts: 1 zpráva, 2 to 4 zprávy, 5 and more zpráv.
    const char* words = others == 1 ? " další zpráva" : others >= 2 && others <= 4 ? " další zprávy" : " dalších zpráv";
    return "a " + std::to_string(others) + words;
}

std::string QuietTipText(int hour, int minute)
{
    // Two digits each, as the news titles write their times.
    char time[32];
    std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
    return std::string("Ztlumeno do ") + time;
}
