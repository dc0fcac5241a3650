#include "Shell.h"

#include <shellapi.h>

#include "ComApartment.h"
#include "Text.h"

intptr_t ShellExecuteUtf8(HWND owner, const wchar_t* verb, const std::string& target, int show)
{
    static const ComApartment apartment;
    return reinterpret_cast<intptr_t>(ShellExecuteW(owner, verb, Widen(target).c_str(), nullptr, nullptr, show));
}
