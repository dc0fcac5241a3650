#include "VersionOrder.h"

#include <cstdint>
#include <optional>

#include "Text.h"
#include "VersionInfo.h"

namespace {

std::optional<uint64_t> FileVersion(const std::wstring& path)
{
    const auto version = ReadFixedFileVersion(Narrow(path));
    if (!version)
        return std::nullopt;
    return uint64_t(version->MostSignificant) << 32 | version->LeastSignificant;
}

} // namespace

VersionOrder CompareFileVersions(const std::wstring& candidate, const std::wstring& installed)
{
    const auto fresh = FileVersion(candidate), present = FileVersion(installed);
    if (!fresh || !present)
        return VersionOrder::Unknown;
    return *fresh < *present ? VersionOrder::Lower : *fresh == *present ? VersionOrder::Equal : VersionOrder::Higher;
}
