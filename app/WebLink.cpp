#include "WebLink.h"

#include "LinkAddress.h"
#include "LinkLabels.h"
#include "ShellResult.h"

void OpenWebLink(const std::string& address, HWND owner)
{
    if (!IsLinkAddress(address) || !ShellResultIsSuccess(ShellOpen(address)))
        ShowLinkError(owner);
}
