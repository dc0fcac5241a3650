#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// When the last check got an answer, kept per user as UTC text ("2026-12-07T09:15:00Z"), so
// that a copy that runs for weeks and the next start both know when the next check is due.
// Times are seconds since 1970 (UTC).

std::string CheckTimeText(int64_t unixSeconds);

// Reads back exactly what CheckTimeText writes; nothing for any other text.
std::optional<int64_t> ParseCheckTime(std::string_view text);
