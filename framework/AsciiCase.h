#pragma once
#include <cctype>
#include <string>
#include <string_view>

// Case of ASCII letters, byte by byte: for protocol words, file extensions and names, not
// for text a user reads (other bytes pass unchanged).
inline std::string ToLower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

inline std::string ToUpper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return result;
}
