#pragma once
#include <string>
#include <string_view>

#include "Win32Handle.h"

// A unique file in a folder that receives a transfer (named "AUP….tmp"); removed unless it was
// put in place, so a cut or refused transfer never leaves a half file behind.
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
