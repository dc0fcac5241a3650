#include "Cabinet.h"

#include <windows.h>

#include <fcntl.h>
#include <fdi.h>

#include <cstdlib>
#include <map>
#include <utility>

#include "EntryPath.h"
#include "SystemLibrary.h"
#include "Text.h"

namespace {

FNALLOC(Allocate) { return std::malloc(cb); }
FNFREE(Free) { std::free(pv); }

// The cabinet library hands file names over as bytes; the names we give it are UTF-8. The
// C library's permission mode has no counterpart here.
FNOPEN(OpenFile)
{
    const int access = oflag & (_O_RDONLY | _O_WRONLY | _O_RDWR);
    const DWORD desired = access == _O_RDWR ? GENERIC_READ | GENERIC_WRITE
                          : access == _O_WRONLY ? GENERIC_WRITE
                                                : GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (oflag & _O_CREAT)
        disposition = (oflag & _O_EXCL) ? CREATE_NEW : (oflag & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
    else if (oflag & _O_TRUNC)
        disposition = TRUNCATE_EXISTING;
    (void)pmode;
    HANDLE file = CreateFileW(Widen(pszFile).c_str(), desired, FILE_SHARE_READ, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? -1 : INT_PTR(file);
}

FNREAD(ReadFromFile)
{
    DWORD done = 0;
    return ReadFile(HANDLE(hf), pv, cb, &done, nullptr) ? done : UINT(-1);
}

FNWRITE(WriteToFile)
{
    DWORD done = 0;
    return WriteFile(HANDLE(hf), pv, cb, &done, nullptr) ? done : UINT(-1);
}

FNCLOSE(CloseFile) { return CloseHandle(HANDLE(hf)) ? 0 : -1; }

// The C library's seek origins are the platform's move methods.
FNSEEK(SeekFile) { return LONG(SetFilePointer(HANDLE(hf), dist, nullptr, DWORD(seektype))); }

bool MakeFolders(const std::wstring& folder)
{
    if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const std::wstring_view parent = FolderPartOf(folder);
    if (!parent.empty() && parent.size() < folder.size() && !MakeFolders(std::wstring(parent)))
        return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), DWORD(std::size(full)), full, nullptr);
    return length > 0 && length < std::size(full) ? std::wstring(full, length) : path;
}

// One extraction: where its files go, and the entries being written. An entry is written
// beside its place and takes it only once it is complete, so a damaged cabinet leaves the
// files it would have replaced as they were. Handed to the notifications as their user data.
class Extraction {
public:
    explicit Extraction(std::wstring targetFolder) : targetFolder_(std::move(targetFolder)) {}
    Extraction(const Extraction&) = delete;
    Extraction& operator=(const Extraction&) = delete;
    // The library has closed what it had open when it gave up; the unfinished parts go.
    ~Extraction()
    {
        for (const auto& [handle, file] : writing_)
            DeleteFileW(file.part.c_str());
    }

    INT_PTR CreateEntryFile(const FDINOTIFICATION& entry)
    {
        const bool utf8 = entry.attribs & _A_NAME_IS_UTF;
        const std::wstring name = WithBackslashes(utf8 ? Widen(entry.psz1) : AnsiToWide(entry.psz1));
        if (!StaysInsideFolder(name))
            return -1;
        const std::wstring folder(FolderPartOf(name));
        if (!folder.empty() && !MakeFolders(targetFolder_.empty() ? FullPath(folder) : targetFolder_ + folder))
            return -1;
        const std::wstring path = targetFolder_ + name;
        const std::wstring part = path + L".extracting";
        HANDLE file =
            CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return -1;
        writing_[INT_PTR(file)] = {part, path, entry.cb};
        return INT_PTR(file);
    }

    // The entry's DOS date and time are taken as they are, without a conversion from local
    // time. The library may announce the end of an entry whose data it could not read: an
    // entry shorter than its stated size fails the extraction.
    INT_PTR FinishEntryFile(const FDINOTIFICATION& entry)
    {
        FILETIME written{};
        if (DosDateTimeToFileTime(entry.date, entry.time, &written))
            SetFileTime(HANDLE(entry.hf), nullptr, nullptr, &written);
        LARGE_INTEGER size{};
        const bool sizeRead = GetFileSizeEx(HANDLE(entry.hf), &size);
        CloseHandle(HANDLE(entry.hf));
        const EntryFile file = writing_.extract(entry.hf).mapped();
        if (!sizeRead || size.QuadPart != file.size) {
            DeleteFileW(file.part.c_str());
            return FALSE;
        }
        return MoveFileExW(file.part.c_str(), file.place.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    struct EntryFile {
        std::wstring part;
        std::wstring place;
        long long size;
    };

    const std::wstring targetFolder_;
    std::map<INT_PTR, EntryFile> writing_; // by the handle the library writes to
};

FNFDINOTIFY(Notify)
{
    auto& extraction = *static_cast<Extraction*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE:
        return extraction.CreateEntryFile(*pfdin);
    case fdintCLOSE_FILE_INFO:
        return extraction.FinishEntryFile(*pfdin);
    default:
        return 0;
    }
}

bool CanRead(const std::wstring& path)
{
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr))
        .operator bool();
}

struct CabinetLibrary {
    ModuleHandle module = LoadSystemLibrary(L"cabinet.dll");
    decltype(FDICreate)* create = LibraryFunction<decltype(FDICreate)>(module, "FDICreate");
    decltype(FDIIsCabinet)* isCabinet = LibraryFunction<decltype(FDIIsCabinet)>(module, "FDIIsCabinet");
    decltype(FDICopy)* copy = LibraryFunction<decltype(FDICopy)>(module, "FDICopy");
    decltype(FDIDestroy)* destroy = LibraryFunction<decltype(FDIDestroy)>(module, "FDIDestroy");

    bool Complete() const { return create && isCabinet && copy && destroy; }
};

bool IsCabinet(const CabinetLibrary& library, HFDI context, const std::string& path)
{
    const INT_PTR file = OpenFile(const_cast<char*>(path.c_str()), _O_BINARY | _O_RDONLY, 0);
    if (file == -1)
        return false;
    FDICABINETINFO info{};
    const bool cabinet = library.isCabinet(context, file, &info);
    CloseFile(file);
    return cabinet;
}

} // namespace

int UnpackCabinet(const std::wstring& cabinetPath, const std::wstring& targetFolder)
{
    if (!CanRead(cabinetPath))
        return -1;
    const CabinetLibrary library;
    if (!library.module || !library.Complete())
        return -1;
    ERF error{};
    HFDI context = library.create(Allocate, Free, OpenFile, ReadFromFile, WriteToFile, CloseFile, SeekFile,
                                  cpu80386, &error);
    if (!context)
        return -1;
    const std::wstring fullPath = FullPath(cabinetPath);
    const size_t nameStart = fullPath.find_last_of(L'\\') + 1;
    std::string name = Narrow(fullPath.substr(nameStart));
    std::string folder = Narrow(fullPath.substr(0, nameStart));
    bool copied = false;
    if (IsCabinet(library, context, folder + name)) {
        Extraction extraction(targetFolder);
        copied = library.copy(context, name.data(), folder.data(), 0, Notify, nullptr, &extraction);
    }
    const bool destroyed = library.destroy(context);
    return copied && destroyed ? 0 : -1;
}
