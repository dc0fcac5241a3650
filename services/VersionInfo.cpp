#include "VersionInfo.h"

#include <windows.h>

#include <array>
#include <cwchar>

#include "Exception.h"
#include "FileDate.h"
#include "Text.h"

namespace {

constexpr std::array<const wchar_t*, 10> kTextKeys = {
    L"CompanyName",      L"FileDescription", L"FileVersion",    L"InternalName", L"LegalCopyright",
    L"OriginalFilename", L"ProductName",     L"ProductVersion", L"Comments",     L"LegalTrademarks",
};

constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

const VS_FIXEDFILEINFO* FixedInfo(const std::vector<std::byte>& data)
{
    void* fixed = nullptr;
    UINT length = 0;
    if (data.empty() || !VerQueryValueW(data.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return info->dwSignature == kFixedInfoSignature ? info : nullptr;
}

// The file's whole version information; empty when it has none.
std::vector<std::byte> ReadVersionData(const std::string& fileName)
{
    std::wstring path = Widen(fileName);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<std::byte> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
        DWORD code = GetLastError();
        throw Exception("Systémová chyba. Kód: " + std::to_string(code) + ".\n" + SystemErrorMessage(code));
    }
    return data;
}

} // namespace

TVersionInfo::TVersionInfo(TComponent* owner) : TComponent(owner) {}

void TVersionInfo::SetFileName(const std::string& fileName)
{
    if (fileName == fileName_)
        return;
    fileName_ = fileName;
    data_.clear();
    if (!fileName_.empty())
        data_ = ReadVersionData(fileName_);
}

std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName)
{
    std::vector<std::byte> data = ReadVersionData(fileName);
    const VS_FIXEDFILEINFO* fixed = FixedInfo(data);
    if (!fixed)
        return std::nullopt;
    return FixedFileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

int TVersionInfo::Number(int index) const
{
    const VS_FIXEDFILEINFO* fixed = FixedInfo(data_);
    if (!fixed)
        return -1;
    switch (index) {
    case 1:
        return HIWORD(fixed->dwFileVersionMS);
    case 2:
        return LOWORD(fixed->dwFileVersionMS);
    case 3:
        return HIWORD(fixed->dwFileVersionLS);
    case 4:
        return LOWORD(fixed->dwFileVersionLS);
    default:
        return -1;
    }
}

double TVersionInfo::DateTime() const
{
    const VS_FIXEDFILEINFO* fixed = FixedInfo(data_);
    if (!fixed)
        return 0;
    return FileDateToDateTime(uint64_t(fixed->dwFileDateMS) << 32 | fixed->dwFileDateLS);
}

std::string TVersionInfo::Text(int index) const
{
    if (index < 1 || index > int(kTextKeys.size()) || data_.empty())
        return {};
    void* translations = nullptr;
    UINT length = 0;
    // Only the first translation is ever asked; a block without one has no texts.
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &translations, &length) ||
        length < 2 * sizeof(WORD))
        return {};
    const auto* translation = static_cast<const WORD*>(translations);
    wchar_t query[96];
    std::swprintf(query, std::size(query), L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                  kTextKeys[size_t(index - 1)]);
    void* found = nullptr;
    if (!VerQueryValueW(data_.data(), query, &found, &length) || !found)
        return {};
    const auto* text = static_cast<const wchar_t*>(found);
    return Narrow(std::wstring_view(text, wcsnlen(text, length)));
}
