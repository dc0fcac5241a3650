#include "ControlValues.h"

#include "IniText.h"

std::string ControlValue(std::string_view controlText, std::string_view section, std::string_view key,
                         std::string_view defaultValue)
{
    return IniReadValue(controlText, section, key).value_or(std::string(defaultValue));
}

long long ControlInteger(std::string_view controlText, std::string_view section, std::string_view key,
                         long long defaultValue)
{
    auto value = IniReadValue(controlText, section, key);
    auto number = value ? ParseInteger(*value) : std::nullopt;
    return number ? *number : defaultValue;
}
