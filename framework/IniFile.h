#pragma once
#include <string>
#include <string_view>

// A settings file on disk. Each call reads the file afresh; a write rewrites it at once.
class TIniFile {
public:
    explicit TIniFile(std::wstring path) : path_(std::move(path)) {}

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // A value that is not a whole integer gives the default.
    long long ReadInteger(std::string_view section, std::string_view key, long long defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Changes that one key and keeps every other line; raises Exception when it cannot write.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::wstring path_;
};
