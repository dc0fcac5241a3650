#include "PartialDownload.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "FileIO.h"
#include "Sha256.h"
#include "Text.h"

namespace {

constexpr DWORD kReplayBlock = 65536;

uint64_t SizeOf(HANDLE file)
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? uint64_t(size.QuadPart) : 0;
}

// The held bytes through the guard, as if they had just arrived; the file is left at their end.
bool Replay(HANDLE file, uint64_t bytes, TransferGuard& guard)
{
    if (!SetFilePointerEx(file, {}, nullptr, FILE_BEGIN))
        return false;
    std::vector<char> buffer(kReplayBlock);
    for (uint64_t left = bytes; left > 0;) {
        DWORD count = 0;
        if (!ReadFile(file, buffer.data(), DWORD(std::min<uint64_t>(left, kReplayBlock)), &count, nullptr) || count == 0)
            return false;
        guard.Take(std::string_view(buffer.data(), count));
        left -= count;
    }
    return true;
}

} // namespace

std::wstring PartialDownloadName(const std::string& address, const std::string& sha256)
{
    Sha256 addressDigest;
    addressDigest.Update(address);
    return L"SorielPartial-" + Widen(sha256) + L"-" + Widen(addressDigest.HexDigest().substr(0, 16)) + L".bin";
}

void RemovePartialDownloadsExcept(const std::wstring& folder, const std::vector<std::string>& sha256s)
{
    const std::wstring prefix = L"SorielPartial-";
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW((folder + prefix + L"*").c_str(), &found));
    for (bool more = bool(search); more; more = FindNextFileW(search.Get(), &found)) {
        const std::wstring_view name(found.cFileName);
        const std::wstring_view digest = name.substr(prefix.size(), name.find(L'-', prefix.size()) - prefix.size());
        if (std::find(sha256s.begin(), sha256s.end(), Narrow(digest)) == sha256s.end())
            DeleteFileW((folder + found.cFileName).c_str());
    }
}

PartialDownload::PartialDownload(const std::wstring& folder, std::string address, std::string sha256)
    : dataPath_(folder + PartialDownloadName(address, sha256)), recordPath_(dataPath_ + L".txt"),
      address_(std::move(address)), sha256_(std::move(sha256)),
      handle_(CreateFileW(dataPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr))
{
    if (!handle_)
        return;
    const std::optional<std::string> text = ReadWholeFile(recordPath_);
    const std::optional<PartialRecord> record = text ? ParsePartialRecord(*text) : std::nullopt;
    // Bytes of another address may be another file that only claims the same digest.
    if (record && record->address == address_ && record->sha256 == sha256_ && record->bytes > 0 &&
        SizeOf(handle_.Get()) == record->bytes)
        held_ = HeldPart{record->bytes, record->validator};
}

PartialDownload::~PartialDownload()
{
    if (kept_ || (!handle_ && !file_))
        return;
    file_.reset();
    handle_.Reset();
    DeleteFileW(dataPath_.c_str());
    DeleteFileW(recordPath_.c_str());
}

TransferFile& PartialDownload::Open(uint64_t from, const std::string& validator, TransferGuard& guard)
{
    // The record goes first: bytes being written are no held part until they are kept.
    DeleteFileW(recordPath_.c_str());
    validator_ = validator;
    const bool append = held_ && from == held_->bytes && from > 0;
    if (append && !Replay(handle_.Get(), from, guard))
        throw TransferError(TransferFailure::Write, "The bytes kept from an earlier attempt cannot be read");
    if (!append && (!SetFilePointerEx(handle_.Get(), {}, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_.Get())))
        handle_.Reset();
    file_.emplace(dataPath_, std::move(handle_));
    return *file_;
}

void PartialDownload::Keep(uint64_t bytes)
{
    if (!file_) {
        kept_ = true;
        return;
    }
    file_->Close();
    if (validator_.empty() || bytes == 0)
        return;
    try {
        WriteFileAtomically(recordPath_, PartialRecordText({.address = address_,
                                                            .sha256 = sha256_,
                                                            .validator = validator_,
                                                            .bytes = bytes}));
    } catch (const std::exception&) {
        return;
    }
    file_->Keep();
    kept_ = true;
}
