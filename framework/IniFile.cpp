#include "IniFile.h"

#include "FileIO.h"
#include "IniText.h"

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const
{
    auto text = ReadWholeFile(path_);
    auto value = text ? IniReadValue(*text, section, key) : std::nullopt;
    return value ? *value : std::string(defaultValue);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const
{
    auto text = ReadWholeFile(path_);
    auto value = text ? IniReadValue(*text, section, key) : std::nullopt;
    auto number = value ? ParseInteger(*value) : std::nullopt;
    return number ? *number : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    WriteFileAtomically(path_, IniWriteValue(ReadWholeFile(path_).value_or(""), section, key, value));
}
