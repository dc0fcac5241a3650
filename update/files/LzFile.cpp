#include "LzFile.h"

#include <windows.h>

#include <lzexpand.h>

#include <algorithm>
#include <cwctype>
#include <string_view>

#include "SystemLibrary.h"

namespace {

struct LzLibrary {
    ModuleHandle module = LoadSystemLibrary(L"lz32.dll");
    decltype(LZOpenFileW)* open = LibraryFunction<decltype(LZOpenFileW)>(module, "LZOpenFileW");
    decltype(GetExpandedNameW)* expandedName = LibraryFunction<decltype(GetExpandedNameW)>(module, "GetExpandedNameW");
    decltype(LZCopy)* copy = LibraryFunction<decltype(LZCopy)>(module, "LZCopy");
    decltype(LZClose)* close = LibraryFunction<decltype(LZClose)>(module, "LZClose");

    bool Complete() const { return open && expandedName && copy && close; }
};

// An open LZ file of the library; closed with it.
class LzHandle {
public:
    LzHandle(const LzLibrary& library, std::wstring path, WORD mode) : library_(library)
    {
        OFSTRUCT details{};
        handle_ = library.open(path.data(), &details, mode);
    }
    ~LzHandle()
    {
        if (handle_ >= 0)
            library_.close(handle_);
    }
    LzHandle(const LzHandle&) = delete;
    LzHandle& operator=(const LzHandle&) = delete;

    INT Get() const { return handle_; }
    explicit operator bool() const { return handle_ >= 0; }

private:
    const LzLibrary& library_;
    INT handle_ = -1;
};

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(x) == std::towupper(y);
           });
}

} // namespace

bool IsLzCompressed(const std::wstring& path)
{
    static constexpr char kMagic[] = {'S', 'Z', 'D', 'D', char(0x88), char(0xF0), 0x27, 0x33};
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    char header[sizeof(kMagic)] = {};
    DWORD read = 0;
    return file && ReadFile(file.Get(), header, sizeof(header), &read, nullptr) && read == sizeof(header) &&
           std::equal(std::begin(header), std::end(header), std::begin(kMagic));
}

std::optional<std::wstring> ExpandLzFileBeside(const std::wstring& path)
{
    // The library's names live in buffers of the classic path length.
    if (path.size() >= MAX_PATH || !IsLzCompressed(path))
        return std::nullopt;
    const LzLibrary library;
    if (!library.Complete())
        return std::nullopt;
    LzHandle source(library, path, OF_READ);
    std::wstring sourceName = path;
    wchar_t expanded[MAX_PATH] = {};
    if (!source || library.expandedName(sourceName.data(), expanded) != 1 || SameName(expanded, path))
        return std::nullopt;
    LONG copied = -1;
    {
        LzHandle target(library, expanded, OF_CREATE);
        if (!target)
            return std::nullopt;
        copied = library.copy(source.Get(), target.Get());
    }
    // A cut-off expansion is no file to keep.
    if (copied < 0) {
        DeleteFileW(expanded);
        return std::nullopt;
    }
    return std::wstring(expanded);
}
