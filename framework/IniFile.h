#pragma once
#include <optional>
#include <string>
#include <string_view>

// A settings file on disk, read when the object is made; a write rewrites the file at once.
class TIniFile {
public:
    explicit TIniFile(std::wstring path);

    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // A value that is not a whole integer gives the default.
    long long ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Changes that one key and keeps every other line; raises Exception when it cannot write.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::wstring path_;
    std::string text_;
};
