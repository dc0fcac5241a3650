#pragma once
#include <cstdint>
#include <string>

#include "Win32Handle.h"

// Caller side of orcoredll.dll's URLDecodeUTF8: a page's percent-encoded UTF-8 text to
// UTF-8 for the program. Without the library a text is handed back as written on the page,
// so an item is still shown (encoded) instead of raising an error on every tick.
class TTextDecoder {
public:
    explicit TTextDecoder(const std::wstring& libraryPath);

    bool Available() const { return decode_ != nullptr; }
    std::string Convert(const std::string& raw) const;

private:
    using DecodeFunction = int32_t(__stdcall*)(const char* encoded, wchar_t* output, const int32_t* capacityBytes);

    ModuleHandle library_;
    DecodeFunction decode_ = nullptr;
};

// The program's decoder: orcoredll.dll from the program folder, loaded on first use.
std::string ConvertText(const std::string& raw);
bool DecoderAvailable();
