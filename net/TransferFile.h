#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "Win32Handle.h"

// The file that receives a transfer: a unique one in a folder (named "AUP….tmp"), or one given
// open; removed unless it was put in place or kept, so a cut or refused transfer leaves no half
// file behind unless its bytes are kept on purpose.
class TransferFile {
public:
    explicit TransferFile(const std::wstring& folder);
    // A file of that path already open for writing, taken over as it is.
    TransferFile(std::wstring path, FileHandle handle) : path_(std::move(path)), handle_(std::move(handle)) {}
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    bool IsOpen() const { return bool(handle_); }
    bool Write(std::string_view bytes);
    void Close() { handle_.Reset(); }
    const std::wstring& Path() const { return path_; }
    // The closed file takes the target's place; on failure it is removed and the old target
    // stays as it was.
    bool MoveTo(const std::wstring& target);
    // Closed and left where it is.
    void Keep();

private:
    std::wstring path_;
    FileHandle handle_;
};
