#pragma once
#include <string>
#include <string_view>

// A value of the control file's text, or the default when it has none.
std::string ControlValue(std::string_view controlText, std::string_view section, std::string_view key,
                         std::string_view defaultValue = {});
// A whole number of the control file's text; the default when it has none or it is no number.
long long ControlInteger(std::string_view controlText, std::string_view section, std::string_view key,
                         long long defaultValue);
