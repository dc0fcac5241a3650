#include "ShellOpen.h"

#include <shellapi.h>

#include <cstdint>

#include "Application.h"
#include "ShellResult.h"
#include "Text.h"

bool OpenInShell(const std::string& address)
{
    HINSTANCE result = ShellExecuteW(nullptr, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return ShellResultIsSuccess(reinterpret_cast<intptr_t>(result));
}

void OpenWebLink(const std::string& address, HWND owner)
{
    if (OpenInShell(address))
        return;
    const std::wstring title = Application ? Widen(Application->Title()) : std::wstring();
    MessageBoxW(owner, L"Došlo k chybě při komunikaci s internetem!", title.c_str(), MB_OK | MB_ICONERROR);
}
