#include "NewsArchive.h"

#include <windows.h>

#include <optional>

#include "NewsArchiveRules.h"
#include "Win32Handle.h"

namespace {

// The tables come first: the start read is far longer than any log's head.
constexpr size_t kStartRead = 64 * 1024;
constexpr int kMostArchives = 1000;

std::wstring ArchiveName(int number)
{
    return number == 1 ? kArchiveName : L"news-archive-" + std::to_wstring(number) + L".rtf";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Seek(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN);
}

std::optional<std::string> ReadAt(HANDLE file, uint64_t offset, size_t size)
{
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (!Seek(file, offset) || (size > 0 && !ReadFile(file, bytes.data(), DWORD(size), &read, nullptr)) ||
        read != size)
        return std::nullopt;
    return bytes;
}

bool WriteAt(HANDLE file, uint64_t offset, std::string_view bytes)
{
    DWORD written = 0;
    return Seek(file, offset) && WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

enum class Outcome { Archived, Refused, Failed };

Outcome AddTo(const std::wstring& path, std::string_view head, std::string_view entries, const WriteSeam& seam)
{
    // Others may read it meanwhile, not write it. One that is not there is made new: never
    // over one that another copy of the program made meanwhile.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND && MayWrite(seam))
        file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return Outcome::Failed;
    const auto write = [&](uint64_t offset, std::string_view bytes) {
        return MayWrite(seam) && WriteAt(file.Get(), offset, bytes);
    };
    uint64_t length = uint64_t(size.QuadPart);
    auto start = ReadAt(file.Get(), 0, size_t(std::min<uint64_t>(length, kStartRead)));
    if (!start)
        return Outcome::Failed;
    // A new archive is the head and the closing brace; one made just now, or cut short by a
    // kill while it was made, is made whole.
    const std::string made = std::string(head) + "}";
    if (length < made.size() && start->size() == length && std::string_view(made).starts_with(*start)) {
        if (!write(length, std::string_view(made).substr(size_t(length))) || !FlushFileBuffers(file.Get()))
            return Outcome::Failed;
        length = made.size();
        start = made;
    }
    if (!SameRtfTables(*start, head))
        return Outcome::Refused;
    const uint64_t tailStart = length - std::min<uint64_t>(length, ArchiveTailSize(entries));
    const auto tail = ReadAt(file.Get(), tailStart, size_t(length - tailStart));
    if (!tail)
        return Outcome::Failed;
    const ArchiveEnd end = FindArchiveEnd(*tail, entries);
    if (end.kind == ArchiveEnd::Unusable)
        return Outcome::Refused;
    bool written = true;
    if (end.kind == ArchiveEnd::AppendAt) {
        // After the closing brace, which still ends the document until the batch is whole.
        const uint64_t batch = tailStart + end.brace + 1;
        written = write(batch, kBatchStart) && write(batch + kBatchStart.size(), entries) &&
                  write(batch + kBatchStart.size() + entries.size(), "}") && SetEndOfFile(file.Get()) &&
                  FlushFileBuffers(file.Get());
    }
    // The brace before the batch blanked: one byte, the document now ends after the batch.
    if (written && end.brace != std::string_view::npos)
        written = write(tailStart + end.brace, kBlankedBrace) && FlushFileBuffers(file.Get());
    return written ? Outcome::Archived : Outcome::Failed;
}

} // namespace

bool ArchiveEntries(const std::wstring& folder, std::string_view head, std::string_view entries,
                    const WriteSeam& seam)
{
    const std::string batch = InViewerColours(entries);
    int number = 1;
    while (number < kMostArchives && Exists(folder + ArchiveName(number + 1)))
        ++number;
    for (; number <= kMostArchives; ++number) {
        const Outcome outcome = AddTo(folder + ArchiveName(number), head, batch, seam);
        if (outcome != Outcome::Refused)
            return outcome == Outcome::Archived;
    }
    return false;
}
