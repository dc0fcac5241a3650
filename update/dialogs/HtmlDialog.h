#pragma once
#include <string>

// The platform's modal page dialog (MSHTML.DLL ShowHTMLDialog) on the page at an address,
// with an empty text as its argument. False, showing nothing, when the platform has no such
// dialog; raises Exception when the address or the dialog fails.
bool ShowPlatformHtmlDialog(const std::string& address);
