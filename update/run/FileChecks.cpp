#include "FileChecks.h"

#include <windows.h>

#include "Checksums.h"
#include "FileDate.h"
#include "Sha256.h"
#include "Text.h"
#include "VersionInfo.h"
#include "Win32Handle.h"

namespace {

constexpr DWORD kBlockSize = 4096;

FileHandle OpenForReading(const std::string& path)
{
    return FileHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Feeds the file block by block to the step function; nothing when it cannot be opened.
template <typename Step>
std::optional<uint32_t> FoldFile(const std::string& path, uint32_t start, Step step)
{
    FileHandle file = OpenForReading(path);
    if (!file)
        return std::nullopt;
    uint32_t value = start;
    char block[kBlockSize];
    DWORD read = 0;
    while (ReadFile(file.Get(), block, kBlockSize, &read, nullptr) && read > 0) {
        value = step(value, std::string_view(block, read));
        if (read < kBlockSize)
            break;
    }
    return value;
}

} // namespace

uint32_t FileByteSum(const std::string& path)
{
    return FoldFile(path, kByteSumStart, AddByteSum).value_or(0xFFFFFFFF);
}

uint32_t FileCRC(const std::string& path)
{
    auto reg = FoldFile(path, kCrcVariantStart, AddCrcVariant);
    return reg ? CrcVariantResult(*reg) : 0;
}

int64_t FileSizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return int64_t(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

VersionHalves FileVersionOf(const std::string& path)
{
    auto version = ReadFixedFileVersion(path);
    if (!version)
        return {};
    return {int32_t(version->MostSignificant), int32_t(version->LeastSignificant)};
}

std::optional<TDateTime> FileModifiedTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local))
        return std::nullopt;
    return FileDateToDateTime(uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime);
}

bool IsNewerThanLocalFile(std::string& newVersion, std::string& localFile, int checksum, int size, bool updateOnly,
                          bool useCrc32)
{
    if (newVersion.empty() && size == 0 && checksum == -1)
        return true;
    if (localFile.empty() && updateOnly)
        return true;
    if (checksum != -1)
        return int32_t(useCrc32 ? FileCRC(localFile) : FileByteSum(localFile)) != checksum;
    if (size > 0) {
        const int64_t localSize = FileSizeOf(localFile);
        if (localSize == size)
            return false;
        return localSize > 0 || !updateOnly;
    }
    const VersionHalves local = FileVersionOf(localFile);
    const VersionHalves fresh = ParseVersion(newVersion);
    if (!IsKnown(fresh) || (!IsKnown(local) && updateOnly))
        return false;
    newVersion = DottedVersion(fresh);
    localFile = DottedVersion(local);
    return IsHigherVersion(fresh, local);
}

std::optional<std::string> FileSha256(const std::string& path)
{
    FileHandle file = OpenForReading(path);
    if (!file)
        return std::nullopt;
    Sha256 digest;
    char block[kBlockSize];
    DWORD read = 0;
    while (ReadFile(file.Get(), block, kBlockSize, &read, nullptr) && read > 0)
        digest.Update(std::string_view(block, read));
    return digest.HexDigest();
}
