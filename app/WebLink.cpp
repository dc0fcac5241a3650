#include "WebLink.h"

#include "Application.h"
#include "LinkLabels.h"
#include "ShellResult.h"
#include "Text.h"

void OpenWebLink(const std::string& address, HWND owner)
{
    if (ShellResultIsSuccess(ShellOpen(address)))
        return;
    const std::wstring title = Application ? Widen(Application->Title()) : std::wstring();
    MessageBoxW(owner, L"Došlo k chybě při komunikaci s internetem!", title.c_str(), MB_OK | MB_ICONERROR);
}
