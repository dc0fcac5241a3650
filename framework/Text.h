#pragma once
#include <string>
#include <string_view>

// Conversions at the Win32 boundary: UTF-8 inside the program, UTF-16 for the wide APIs.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

bool IsValidUtf8(std::string_view text);

// The system's ANSI code page, for byte-level data that the platform hands over as such.
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view utf16);
// Text of another code page (an old file's, a document's font's).
std::string CodePageToUtf8(unsigned codePage, std::string_view bytes);
bool IsSingleByteCodePage(unsigned codePage);

// The system's message text for an error code, without the trailing line break.
std::string SystemErrorMessage(unsigned long code);
// The message text a module (e.g. L"wininet.dll") holds for one of its own codes.
std::string ModuleErrorMessage(unsigned long code, const wchar_t* moduleName);
