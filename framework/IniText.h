#pragma once
#include <optional>
#include <string>
#include <string_view>

// Settings-file text rules, apart from any file: sections and keys match without regard
// to case, blanks around names and values do not count, and a write changes one line only.
// A UTF-8 byte-order mark in front is passed over when reading and kept when writing.
std::optional<std::string> IniReadValue(std::string_view text, std::string_view section, std::string_view key);
std::string IniWriteValue(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);

// A whole decimal integer with an optional sign (blanks around it allowed); nothing else.
std::optional<long long> ParseInteger(std::string_view text);
