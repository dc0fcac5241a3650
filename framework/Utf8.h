#pragma once
#include <optional>
#include <string>
#include <string_view>

// One character as UTF-8 at the end of the text; needs no window, so it serves the logic
// that is fuzzed on the host too.
inline void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character of the UTF-8 sequence at `at`, moving past it; nothing for an ill-formed
// sequence (an overlong form, a surrogate, above U+10FFFF, cut short), which is passed over
// as far as it went well.
inline std::optional<char32_t> NextUtf8Character(std::string_view text, size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    // The range the second byte may take after its lead: that is where overlong forms,
    // surrogates and characters above U+10FFFF show.
    int length = 0;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return std::nullopt;
    if (lead == 0xE0)
        secondLow = 0xA0;
    else if (lead == 0xED)
        secondHigh = 0x9F;
    else if (lead == 0xF0)
        secondLow = 0x90;
    else if (lead == 0xF4)
        secondHigh = 0x8F;
    char32_t c = lead & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
        if (at >= text.size())
            return std::nullopt;
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < (k == 1 ? secondLow : 0x80) || byte > (k == 1 ? secondHigh : 0xBF))
            return std::nullopt;
        c = c << 6 | (byte & 0x3F);
        ++at;
    }
    return c;
}
