#include "UpdateStatus.h"

#include <windows.h>

#include "Text.h"

std::string StatusText(int id, std::string_view param)
{
    const wchar_t* resource = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), UINT(id), reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0)
        return {};
    std::string text = Narrow(std::wstring_view(resource, size_t(length)));
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, param);
    return text;
}
