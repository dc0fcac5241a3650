#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Replaces the file's content all at once: the bytes go to a temporary file beside it,
// which then takes the old file's place, so a failure never leaves a cut-off file.
// Raises Exception when the file cannot be written.
void WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// A folder made new for its maker alone: stem-N for the first number N that is free; nothing
// when none can be made (the system's last error says why).
std::optional<std::wstring> MakeFreshFolder(const std::wstring& stem);

// Adds the bytes at the end of the file, creating it when missing. Raises Exception when
// it cannot be written.
void AppendToFile(const std::wstring& path, std::string_view bytes);

// The names (without folder) of the files that match a pattern with wildcards.
std::vector<std::wstring> FileNamesMatching(const std::wstring& pattern);
