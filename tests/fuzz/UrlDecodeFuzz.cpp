// Percent-encoded UTF-8 from a page or a form, decoded to UTF-16.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "UrlDecode.h"

namespace {

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whole code points only: every surrogate stands in a high-low pair.
void CheckNoSplitSurrogate(const std::u16string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i])) {
            FUZZ_CHECK(i + 1 < text.size() && IsLow(text[i + 1]));
            ++i;
        } else {
            FUZZ_CHECK(!IsLow(text[i]));
        }
    }
}

std::string ToUtf8(const std::u16string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHigh(text[i]))
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            bytes += char(c);
        } else if (c < 0x800) {
            bytes += char(0xC0 | c >> 6);
            bytes += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += char(0xE0 | c >> 12);
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        } else {
            bytes += char(0xF0 | c >> 18);
            bytes += char(0x80 | (c >> 12 & 0x3F));
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

// Every byte escaped, except zero, which an encoder cannot escape and must pass raw.
std::string PercentEncodeAll(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            encoded += '\0';
        else
            encoded.append({'%', digits[byte >> 4], digits[byte & 0xF]});
    }
    return encoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view encoded(reinterpret_cast<const char*>(data), size);
    const std::u16string text = DecodeUrlUtf8(encoded);

    // Each unit comes from at least one input byte; a zero unit only from a raw zero byte.
    FUZZ_CHECK(text.size() <= encoded.size());
    FUZZ_CHECK(std::count(text.begin(), text.end(), u'\0') == std::count(encoded.begin(), encoded.end(), '\0'));
    CheckNoSplitSurrogate(text);

    // The decoded text, written out again as escaped UTF-8, decodes to itself.
    const std::string utf8 = ToUtf8(text);
    FUZZ_CHECK(DecodeUrlUtf8(PercentEncodeAll(utf8)) == text);
    // Text with nothing to unescape is its own UTF-8 when it is valid UTF-8.
    if (encoded.find_first_of("%+") == std::string_view::npos && text.find(u'\uFFFD') == std::u16string::npos)
        FUZZ_CHECK(utf8 == encoded);
    return 0;
}
