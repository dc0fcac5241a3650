#pragma once
#include <optional>
#include <string>

// Files compressed in the format of the system's LZ library (they begin with "SZDD").

bool IsLzCompressed(const std::wstring& path);

// Expands the file beside itself, into the name its header gives (the stored last letter in
// place of the final "_"), with the system's LZ library. The source stays. Anything that is
// not an LZ file, or whose expanded name would be its own, is left alone. The expanded
// file's path, or nothing when no file was made.
std::optional<std::wstring> ExpandLzFileBeside(const std::wstring& path);
