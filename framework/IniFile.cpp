#include "IniFile.h"

#include <windows.h>

#include "Exception.h"
#include "FileIO.h"
#include "IniText.h"
#include "Text.h"

TIniFile::TIniFile(std::wstring path) : path_(std::move(path)), text_(ReadWholeFile(path_).value_or("")) {}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view key) const
{
    return IniReadValue(text_, section, key);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const
{
    auto value = Value(section, key);
    auto number = value ? ParseInteger(*value) : std::nullopt;
    return number ? *number : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    // Lines others wrote since this object read the file are kept as well. A file that is
    // there but cannot be read is left alone: writing one line would drop all the others.
    // A file too large to read whole fails without a system error: none is then named.
    SetLastError(ERROR_SUCCESS);
    std::optional<std::string> current = ReadWholeFile(path_);
    const DWORD readError = GetLastError();
    if (!current && GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES)
        throw Exception("Nelze přečíst soubor " + Narrow(path_) +
                        (readError == ERROR_SUCCESS ? "" : ": " + SystemErrorMessage(readError)));
    std::string text = IniWriteValue(current.value_or(""), section, key, value);
    WriteFileAtomically(path_, text);
    text_ = std::move(text);
}
