#include "ShownText.h"

#include <array>
#include <cstdint>

#include "Utf8.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Code page 1250, bytes 0x80 to 0xFF; the five unassigned bytes keep their own value,
// as the platform's conversion does.
constexpr std::array<char16_t, 128> kCp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164,
    0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0161, 0x203A,
    0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9,
    0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139,
    0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1,
    0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD,
    0x0163, 0x02D9,
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of text; 0 when it is not valid.
size_t Utf8SequenceLength(std::string_view text)
{
    size_t at = 0;
    return NextUtf8Character(text, at) ? at : 0;
}

std::string Cp1250ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? char32_t(byte) : char32_t(kCp1250High[byte - 0x80]));
    }
    return out;
}

// The first limit bytes, moved back to the start of a UTF-8 sequence the limit would split.
std::string_view Cut(std::string_view bytes, size_t limit)
{
    if (bytes.size() <= limit)
        return bytes;
    size_t end = limit;
    while (end > 0 && limit - end < 3 && IsContinuation(static_cast<unsigned char>(bytes[end])))
        --end;
    return bytes.substr(0, IsContinuation(static_cast<unsigned char>(bytes[end])) ? limit : end);
}

bool IsC1Control(std::string_view text, size_t at)
{
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

// Line breaks as CR LF; other control characters (C0 but the tab, DEL, C1) left out.
std::string Cleaned(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else if (IsC1Control(utf8, i)) {
            ++i;
        } else if ((static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) || c == '\t') {
            out += c;
        }
    }
    return out;
}

} // namespace

TextCoding DetectTextCoding(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8Mark))
        return TextCoding::Utf8;
    bool multiByte = false;
    for (size_t at = 0; at < bytes.size();) {
        size_t length = Utf8SequenceLength(bytes.substr(at));
        if (length == 0)
            return TextCoding::Cp1250;
        multiByte = multiByte || length > 1;
        at += length;
    }
    return multiByte ? TextCoding::Utf8 : TextCoding::Cp1250;
}

std::string ExpandLineBreakEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\r';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string ShownText(std::string_view bytes)
{
    std::string_view cut = Cut(bytes, kShownTextLimit);
    if (DetectTextCoding(cut) == TextCoding::Cp1250)
        return Cleaned(Cp1250ToUtf8(cut));
    if (cut.starts_with(kUtf8Mark))
        cut.remove_prefix(kUtf8Mark.size());
    return Cleaned(cut);
}
