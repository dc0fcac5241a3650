#include "Registry.h"

#include <vector>

#include "Exception.h"
#include "Text.h"

namespace {

[[noreturn]] void RaiseRegistryError(std::string_view what, LONG code)
{
    throw Exception("Nelze zapsat do registru " + std::string(what) + ": " + SystemErrorMessage(DWORD(code)));
}

} // namespace

TRegistryKey TRegistryKey::OpenOrCreateUserKey(const std::string& path)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        RaiseRegistryError(path, result);
    return TRegistryKey(key);
}

std::optional<TRegistryKey> TRegistryKey::OpenForReading(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    return TRegistryKey(key);
}

std::optional<std::string> TRegistryKey::ReadString(std::string_view name) const
{
    std::wstring wideName = Widen(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = DWORD(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored text need not end in a zero: take what was written, up to a zero if any.
    std::wstring_view text(buffer.data(), size / sizeof(wchar_t));
    return Narrow(text.substr(0, text.find(L'\0')));
}

void TRegistryKey::WriteString(std::string_view name, std::string_view value)
{
    std::wstring wideValue = Widen(value);
    LONG result = RegSetValueExW(key_.Get(), Widen(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(wideValue.c_str()),
                                 DWORD((wideValue.size() + 1) * sizeof(wchar_t)));
    if (result != ERROR_SUCCESS)
        RaiseRegistryError(name, result);
}
