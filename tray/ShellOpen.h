#pragma once
#include <windows.h>

#include <string>

// Asks the shell to open the address (the "open" verb, shown normally); true when the
// shell's answer counts as success.
bool OpenInShell(const std::string& address);

// The web links of the tray menu: opens the address, or tells the user it failed.
void OpenWebLink(const std::string& address, HWND owner);
