#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "Handle.h"

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type None() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};

// One open registry key with string values. Key paths and values are UTF-8.
class TRegistryKey {
public:
    // HKEY_CURRENT_USER\path for reading and writing, created when missing. Raises Exception
    // when it can be neither opened nor created.
    static TRegistryKey OpenOrCreateUserKey(const std::string& path);
    // An existing key for reading; nothing when it cannot be opened.
    static std::optional<TRegistryKey> OpenForReading(HKEY root, const std::string& path);

    // A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); nothing when missing or of another kind.
    std::optional<std::string> ReadString(std::string_view name) const;
    // Raises Exception when the value cannot be written.
    void WriteString(std::string_view name, std::string_view value);

private:
    explicit TRegistryKey(HKEY key) : key_(key) {}

    UniqueHandle<RegistryKeyTraits> key_;
};
