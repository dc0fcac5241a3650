#include "PartialDownload.h"

#include <windows.h>

#include <vector>

#include "FileIO.h"
#include "Text.h"
#include "Win32Handle.h"

namespace {

constexpr DWORD kReplayBlock = 65536;

std::optional<uint64_t> SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The held bytes through the guard, as if they had just arrived.
bool Replay(const std::wstring& path, uint64_t bytes, TransferGuard& guard)
{
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    std::vector<char> buffer(kReplayBlock);
    for (uint64_t left = bytes; left > 0;) {
        DWORD count = 0;
        if (!ReadFile(file.Get(), buffer.data(), DWORD(std::min<uint64_t>(left, kReplayBlock)), &count, nullptr) ||
            count == 0)
            return false;
        guard.Take(std::string_view(buffer.data(), count));
        left -= count;
    }
    return true;
}

} // namespace

PartialDownload::PartialDownload(const std::wstring& folder, std::string address, std::string sha256)
    : dataPath_(folder + L"SorielPartial-" + Widen(sha256) + L".bin"), recordPath_(dataPath_ + L".txt"),
      address_(std::move(address)), sha256_(std::move(sha256))
{
    const std::optional<std::string> text = ReadWholeFile(recordPath_);
    const std::optional<PartialRecord> record = text ? ParsePartialRecord(*text) : std::nullopt;
    // Bytes of another address may be another file that only claims the same digest.
    if (record && record->address == address_ && record->sha256 == sha256_ && record->bytes > 0 &&
        SizeOf(dataPath_) == record->bytes)
        held_ = HeldPart{record->bytes, record->validator};
}

PartialDownload::~PartialDownload()
{
    if (!kept_)
        Drop();
}

TransferFile& PartialDownload::Open(uint64_t from, const std::string& validator, TransferGuard& guard)
{
    const bool append = held_ && from == held_->bytes && from > 0;
    // The record goes first: bytes being written are no held part until they are kept.
    DeleteFileW(recordPath_.c_str());
    validator_ = validator;
    if (append && !Replay(dataPath_, from, guard))
        throw TransferError(TransferFailure::Write, "The bytes kept from an earlier attempt cannot be read");
    file_.emplace(dataPath_, append ? TransferFile::Mode::Append : TransferFile::Mode::Fresh);
    return *file_;
}

void PartialDownload::Keep(uint64_t bytes)
{
    if (!file_) {
        kept_ = true;
        return;
    }
    file_->Close();
    if (validator_.empty() || bytes == 0 || SizeOf(dataPath_) != bytes)
        return;
    try {
        WriteFileAtomically(recordPath_,
                            PartialRecordText({.address = address_, .sha256 = sha256_, .validator = validator_, .bytes = bytes}));
    } catch (const std::exception&) {
        return;
    }
    file_->Keep();
    kept_ = true;
}

void PartialDownload::Drop()
{
    file_.reset();
    DeleteFileW(dataPath_.c_str());
    DeleteFileW(recordPath_.c_str());
}
