#include "PopupHoldRule.h"

bool MustHoldPopups(const PopupHoldFacts& facts)
{
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

std::string MoreItemsText(int others)
{
    // Czech counts: 1 zpráva, 2 to 4 zprávy, 5 and more zpráv.
    const char* words = others == 1 ? " další zpráva" : others >= 2 && others <= 4 ? " další zprávy" : " dalších zpráv";
    return "a " + std::to_string(others) + words;
}
