#include "UrlDecode.h"

#include <optional>

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

std::optional<unsigned> HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return unsigned(c - 'A' + 10);
    return std::nullopt;
}

std::string PercentDecode(std::string_view encoded)
{
    std::string bytes;
    bytes.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '+') {
            bytes += ' ';
            continue;
        }
        if (c == '%' && i + 2 < encoded.size()) {
            auto high = HexValue(encoded[i + 1]);
            auto low = HexValue(encoded[i + 2]);
            if (high && low && (*high | *low) != 0) {
                bytes += char(*high << 4 | *low);
                i += 2;
                continue;
            }
        }
        bytes += c;
    }
    return bytes;
}

// The valid range of the second byte of a sequence depends on its lead byte
// (no overlong forms, no surrogates, nothing above U+10FFFF).
struct LeadRule {
    int length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

std::optional<LeadRule> RuleFor(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return LeadRule{2, 0x80, 0xBF};
    if (lead == 0xE0)
        return LeadRule{3, 0xA0, 0xBF};
    if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF)
        return LeadRule{3, 0x80, 0xBF};
    if (lead == 0xED)
        return LeadRule{3, 0x80, 0x9F};
    if (lead == 0xF0)
        return LeadRule{4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return LeadRule{4, 0x80, 0xBF};
    if (lead == 0xF4)
        return LeadRule{4, 0x80, 0x8F};
    return std::nullopt;
}

void AppendCodePoint(std::u16string& text, char32_t codePoint)
{
    if (codePoint < 0x10000) {
        text += char16_t(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += char16_t(0xD800 + (codePoint >> 10));
    text += char16_t(0xDC00 + (codePoint & 0x3FF));
}

} // namespace

std::u16string DecodeUrlUtf8(std::string_view encoded)
{
    std::string bytes = PercentDecode(encoded);
    std::u16string text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += char16_t(lead);
            ++i;
            continue;
        }
        auto rule = RuleFor(lead);
        if (!rule) {
            text += kReplacement;
            ++i;
            continue;
        }
        char32_t codePoint = lead & (0xFF >> (rule->length + 1));
        size_t next = i + 1;
        for (int k = 1; k < rule->length; ++k, ++next) {
            if (next >= bytes.size())
                break;
            auto byte = static_cast<unsigned char>(bytes[next]);
            unsigned char low = k == 1 ? rule->secondLow : 0x80;
            unsigned char high = k == 1 ? rule->secondHigh : 0xBF;
            if (byte < low || byte > high)
                break;
            codePoint = codePoint << 6 | (byte & 0x3F);
        }
        if (next - i == size_t(rule->length))
            AppendCodePoint(text, codePoint);
        else
            text += kReplacement;
        i = next;
    }
    return text;
}
