#pragma once
#include <string>
#include <string_view>

// Path rules of the update files, apart from the file system.

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// The extension with its dot ("" when the last part has none).
inline std::string ExtensionOf(std::string_view path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    for (size_t i = dot; i < path.size(); ++i)
        if (IsPathSeparator(path[i]))
            return {};
    return std::string(path.substr(dot));
}
