#include "Text.h"

#include <windows.h>

namespace {

std::wstring ToWide(unsigned codePage, std::string_view text)
{
    if (text.empty())
        return {};
    int units = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring result(size_t(units), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), result.data(), units);
    return result;
}

std::string FromWide(unsigned codePage, std::wstring_view text)
{
    if (text.empty())
        return {};
    int bytes = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), result.data(), bytes, nullptr, nullptr);
    return result;
}

// The message text for an error code from the given source, without the trailing line break.
std::string FormattedMessage(DWORD source, HMODULE module, unsigned long code)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code,
                                  0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return Narrow(message);
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    return text.empty() ||
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0) > 0;
}

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Narrow(std::wstring_view utf16) { return FromWide(CP_UTF8, utf16); }
std::wstring AnsiToWide(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::string CodePageToUtf8(unsigned codePage, std::string_view bytes) { return Narrow(ToWide(codePage, bytes)); }

bool IsSingleByteCodePage(unsigned codePage)
{
    CPINFO info{};
    return GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}
std::string WideToAnsi(std::wstring_view utf16) { return FromWide(CP_ACP, utf16); }

std::string SystemErrorMessage(unsigned long code)
{
    return FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
}

std::string ModuleErrorMessage(unsigned long code, const wchar_t* moduleName)
{
    return FormattedMessage(FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleW(moduleName), code);
}
