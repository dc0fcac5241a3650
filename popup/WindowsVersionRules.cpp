#include "WindowsVersionRules.h"

bool IsLegacyNT(unsigned long platformId, unsigned long major, unsigned long minor)
{
    return platformId == PlatformNT && major <= 4 && (minor == 0 || minor == 51);
}

bool HasDropShadow(unsigned long platformId, unsigned long major, unsigned long minor)
{
    return platformId == PlatformNT && major >= 5 && minor >= 1;
}
