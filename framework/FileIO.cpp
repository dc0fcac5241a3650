#include "FileIO.h"

#include "Exception.h"
#include "Text.h"
#include "Win32Handle.h"

std::optional<std::string> ReadWholeFile(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

namespace {

[[noreturn]] void FailToWrite(const std::wstring& path, DWORD code)
{
    throw Exception("Nelze zapsat soubor " + Narrow(path) + ": " + SystemErrorMessage(code));
}

} // namespace

void WriteFileAtomically(const std::wstring& path, std::string_view bytes)
{
    const std::wstring temporary = path + L".new";
    auto fail = [&](DWORD code) {
        DeleteFileW(temporary.c_str());
        FailToWrite(path, code);
    };
    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
            !FlushFileBuffers(file.Get()))
            error = GetLastError();
        else if (written != bytes.size())
            error = ERROR_DISK_FULL;
    }
    // Only once the file is closed can a cut-off temporary file be removed.
    if (error != ERROR_SUCCESS)
        fail(error);
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(GetLastError());
}

void AppendToFile(const std::wstring& path, std::string_view bytes)
{
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
        FailToWrite(path, GetLastError());
    if (written != bytes.size())
        FailToWrite(path, ERROR_DISK_FULL);
}

std::optional<std::wstring> MakeFreshFolder(const std::wstring& stem)
{
    for (unsigned number = GetTickCount() % 10000, tries = 0; tries < 100; ++number, ++tries) {
        std::wstring folder = stem + L"-" + std::to_wstring(number);
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return std::nullopt;
}

std::vector<std::wstring> FileNamesMatching(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return names;
    do
        names.emplace_back(found.cFileName);
    while (FindNextFileW(search.Get(), &found));
    return names;
}
