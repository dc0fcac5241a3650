#pragma once

// Which Windows versions get which popup window styles (platform id 2 is NT).
constexpr unsigned long PlatformNT = 2;

// NT 4 and older: no WS_EX_NOACTIVATE.
bool IsLegacyNT(unsigned long platformId, unsigned long major, unsigned long minor);
// XP-era and the 6.1 to 6.3 systems: the class drop shadow.
bool HasDropShadow(unsigned long platformId, unsigned long major, unsigned long minor);
