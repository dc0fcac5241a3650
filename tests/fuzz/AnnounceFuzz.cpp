// The whole road of an item from the page to news.rtf and back: the page's bytes scanned,
// the top row's text decoded, title and text made one line each, written as two log entries in
// the rich text the box writes, joined, and read back as at the next start.
// Input: a repeat byte, then the page; in the page, the bytes between the first two 0xFF
// bytes are repeated, when the repeat byte's low half is 0xF, (its high half + 1) × 256
// times, up to a little more than the bytes of an item text the scan keeps: so short
// inputs reach item texts far past the length limit, and most runs stay short and quick.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "NewItems.h"
#include "NewsItemText.h"
#include "NewsPageScan.h"
#include "RtfDocument.h"
#include "RtfText.h"
#include "UrlDecode.h"
#include "Utf8.h"

namespace {

constexpr size_t kLargestPage = RawItemTextLimit + 2000;

std::string Page(std::string_view input)
{
    if (input.empty())
        return {};
    const auto repeat = static_cast<unsigned char>(input[0]);
    const size_t count = (repeat & 0x0F) == 0x0F ? size_t((repeat >> 4) + 1) * 256 : 1;
    input.remove_prefix(1);
    const size_t open = input.find('\xFF');
    const size_t close = open == std::string_view::npos ? open : input.find('\xFF', open + 1);
    if (close == std::string_view::npos)
        return std::string(input);
    const std::string_view piece = input.substr(open + 1, close - open - 1);
    std::string page(input.substr(0, open));
    for (size_t i = 0; i < count && page.size() + piece.size() <= kLargestPage; ++i)
        page += piece;
    page += input.substr(close + 1);
    return page;
}

std::vector<char32_t> Characters(std::string_view utf8)
{
    std::vector<char32_t> characters;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        FUZZ_CHECK(lead < 0x80 || lead >= 0xC2);
        FUZZ_CHECK(i + length <= utf8.size());
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            FUZZ_CHECK((static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80);
            c = c << 6 | (utf8[i + k] & 0x3F);
        }
        characters.push_back(c);
        i += length;
    }
    return characters;
}

std::string Utf8(std::u16string_view utf16)
{
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}

// One line of the log: valid UTF-8, no control or direction character, within the limit,
// and already in the form ItemLine gives.
void CheckLine(const std::string& line)
{
    const std::vector<char32_t> characters = Characters(line);
    FUZZ_CHECK(characters.size() <= ItemTextLimit);
    for (char32_t c : characters) {
        FUZZ_CHECK(c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && c != 0x2028 && c != 0x2029);
        FUZZ_CHECK(!(c >= 0x202A && c <= 0x202E) && !(c >= 0x2066 && c <= 0x2069));
    }
    FUZZ_CHECK(ItemLine(line) == line);
}

// The text as the box writes it: one paragraph a line, the entry's three lines and the
// box's own closing paragraph, every character past ASCII as a Unicode escape.
std::string EntryDocument(const std::vector<std::string>& lines)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
                      "\\viewkind4\\uc1\\pard\\b\\f0\\fs16 ";
    for (const std::string& line : lines) {
        for (char32_t c : Characters(line)) {
            if (c == '\\' || c == '{' || c == '}') {
                rtf += '\\';
                rtf += char(c);
            } else if (c < 0x80) {
                rtf += char(c);
            } else if (c < 0x10000) {
                rtf += "\\u" + std::to_string(int16_t(uint16_t(c))) + "?";
            } else {
                const char32_t v = c - 0x10000;
                rtf += "\\u" + std::to_string(int16_t(uint16_t(0xD800 + (v >> 10)))) + "?";
                rtf += "\\u" + std::to_string(int16_t(uint16_t(0xDC00 + (v & 0x3FF)))) + "?";
            }
        }
        rtf += "\\par\r\n";
    }
    return rtf + "\\par\r\n}\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<PageRow> rows = ScanNewsPage(Page({reinterpret_cast<const char*>(data), size}));
    if (rows.empty())
        return 0;
    FUZZ_CHECK(rows[0].text.size() <= RawItemTextLimit);

    const std::string raw = rows[0].text;
    const std::string title = ItemTitle({0, rows[0].minuteOfDay, ""}, [](int64_t) { return "7.12.2026"; });
    const std::string decodedText = Utf8(DecodeUrlUtf8(raw));
    const std::string text = ItemLine(decodedText);
    CheckLine(title);
    CheckLine(text);
    // A text cut short ends in the mark, at the limit exactly; the rest is kept as it was.
    const std::vector<char32_t> decoded = Characters(decodedText);
    if (decoded.size() > ItemTextLimit) {
        FUZZ_CHECK(Characters(text).size() == ItemTextLimit);
        FUZZ_CHECK(text.ends_with("…"));
    } else {
        FUZZ_CHECK(Characters(text).size() == decoded.size());
    }

    // Two entries to news.rtf, as the log joins them, and the lines read back.
    const std::vector<std::string> entries[] = {{title, text, ""}, {"8.12.2026 " + title, text, ""}};
    TRtfDocument file;
    FUZZ_CHECK(file.Assign(EntryDocument(entries[0])));
    FUZZ_CHECK(file.Append(EntryDocument(entries[1])));
    std::vector<std::string> lines;
    const auto layout = ReadRtfText(
        file.Text(), [](unsigned, std::string_view bytes) { return std::string(bytes); },
        [&](std::string_view paragraph) {
            lines.emplace_back(paragraph);
            return false;
        },
        300);
    FUZZ_CHECK(layout.has_value());
    FUZZ_CHECK(layout->lastParagraph.empty());
    // Each entry is its three lines; the box's own closing paragraph follows.
    std::vector<std::string> expected = entries[0];
    expected.insert(expected.end(), entries[1].begin(), entries[1].end());
    expected.push_back("");
    FUZZ_CHECK(lines == expected);

    // The titles found among the lines read back are the two entries' titles, and no text.
    LogTitleFinder finder;
    std::vector<uint64_t> titles;
    for (size_t i = 0; i < lines.size(); ++i)
        if (const auto found = finder.Take(i, lines[i].empty()))
            titles.push_back(*found);
    if (const auto found = finder.Finish())
        titles.push_back(*found);
    FUZZ_CHECK(titles == (std::vector<uint64_t>{0, 3}));
    return 0;
}
