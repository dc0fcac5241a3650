#pragma once
#include <optional>
#include <string_view>

// The serial a signed control file carries ([update] serial=N), against the highest serial
// this user has carried out: an earlier signed file served again must not count as news.

enum class SerialVerdict { Refused, NothingNew, Fresh };

// A whole number of decimal digits, nothing else; nothing for any other text.
std::optional<unsigned long long> ParseSerial(std::string_view text);

// Without a serial, or with a lower one: refused; the same: nothing new; higher: fresh.
SerialVerdict JudgeSerial(std::optional<unsigned long long> serial, std::optional<unsigned long long> lastCarriedOut);
