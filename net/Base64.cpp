#include "Base64.h"

#include <algorithm>

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 64;

int SextetOf(char c)
{
    size_t at = kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : int(at);
}

} // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string encoded;
    encoded.reserve(4 * ((bytes.size() + 2) / 3));
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t count = std::min<size_t>(3, bytes.size() - i);
        unsigned group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k)
            encoded += k <= count ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return encoded;
}

std::string Base64Lines(std::string_view bytes)
{
    std::string encoded = Base64Encode(bytes);
    std::string lines;
    lines.reserve(encoded.size() + encoded.size() / kLineLength);
    for (size_t i = 0; i < encoded.size(); i += kLineLength) {
        std::string_view line = std::string_view(encoded).substr(i, kLineLength);
        lines += line;
        if (line.size() == kLineLength)
            lines += '\r';
    }
    return lines;
}

std::optional<std::string> Base64Decode(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        size_t padding = last ? size_t(std::count(text.end() - 2, text.end(), '=')) : 0;
        if (padding == 1 && text[i + 2] == '=')
            return std::nullopt;
        unsigned group = 0;
        for (size_t k = 0; k < 4; ++k) {
            int sextet = k < 4 - padding ? SextetOf(text[i + k]) : 0;
            if (sextet < 0)
                return std::nullopt;
            group = group << 6 | unsigned(sextet);
        }
        size_t count = 3 - padding;
        if (padding > 0 && (group & ((1u << (8 * padding)) - 1)) != 0)
            return std::nullopt;
        for (size_t k = 0; k < count; ++k)
            bytes += char(group >> (16 - 8 * k) & 0xFF);
    }
    return bytes;
}
