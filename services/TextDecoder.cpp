#include "TextDecoder.h"

#include <cstdint>
#include <vector>

#include "AppPath.h"
#include "Text.h"

namespace {

const TTextDecoder& ProgramDecoder()
{
    static const TTextDecoder decoder(GetAppPath() + L"orcoredll.dll");
    return decoder;
}

} // namespace

TTextDecoder::TTextDecoder(const std::wstring& libraryPath) : library_(LoadLibraryW(libraryPath.c_str()))
{
    if (library_)
        decode_ = reinterpret_cast<DecodeFunction>(GetProcAddress(library_.Get(), "URLDecodeUTF8"));
}

std::string TTextDecoder::Convert(const std::string& raw) const
{
    // n bytes never decode to more than n UTF-16 units, so 2n + 2 bytes hold any result
    // and its zero unit. The library is told the whole size: given one byte less, it
    // would have to cut the last character of a text that decodes to exactly n units.
    const size_t units = raw.size() + 1;
    if (!decode_ || units > INT32_MAX / sizeof(wchar_t))
        return raw;
    std::vector<wchar_t> buffer(units, L'\0');
    const int32_t capacityBytes = int32_t(units * sizeof(wchar_t));
    decode_(raw.c_str(), buffer.data(), &capacityBytes);
    return Narrow(buffer.data());
}

std::string ConvertText(const std::string& raw) { return ProgramDecoder().Convert(raw); }

bool DecoderAvailable() { return ProgramDecoder().Available(); }
