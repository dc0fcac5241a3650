#pragma once
#include <windows.h>

#include <string>

// The web links of the tray menu: opens the address, or tells the user it failed (also
// when it is no link address, see IsLinkAddress).
void OpenWebLink(const std::string& address, HWND owner);
