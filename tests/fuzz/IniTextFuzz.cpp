// The settings file's text: a section, key and value written into any text and read back.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "IniText.h"

namespace {

bool HasBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool Trimmed(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return text.empty() || (!blank(text.front()) && !blank(text.back()));
}

// Names and values the settings file can hold as written: one line each, nothing that
// would end the name early or turn the line into a comment or a section.
bool Storable(std::string_view section, std::string_view key, std::string_view value)
{
    return !HasBreak(section) && !HasBreak(key) && !HasBreak(value) && Trimmed(section) && Trimmed(key) &&
           Trimmed(value) && section.find(']') == std::string_view::npos &&
           key.find('=') == std::string_view::npos && (key.empty() || (key.front() != ';' && key.front() != '['));
}

// What differs between the two texts, once their common start and end are set aside,
// lies within one line of the old text.
void CheckOneLineChanged(std::string_view before, std::string_view after)
{
    const size_t common = std::min(before.size(), after.size());
    size_t start = 0;
    while (start < common && before[start] == after[start])
        ++start;
    size_t end = 0;
    while (end < common - start && before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    FUZZ_CHECK(!HasBreak(before.substr(start, before.size() - start - end)));
}

// A whole decimal number with an optional sign and blanks around it, by digits.
void CheckParseInteger(std::string_view text)
{
    const auto parsed = ParseInteger(text);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    bool valid = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    __int128 value = 0;
    for (size_t i = 0; valid && i < text.size(); ++i) {
        value = value * 10 + (text[i] - '0');
        valid = value <= static_cast<__int128>(INT64_MAX) + (negative ? 1 : 0);
    }
    FUZZ_CHECK(parsed.has_value() == valid);
    if (valid)
        FUZZ_CHECK(*parsed == (negative ? -value : value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::string written = IniWriteValue(text, section, key, value);
    CheckOneLineChanged(text, written);
    if (Storable(section, key, value)) {
        FUZZ_CHECK(IniReadValue(written, section, key) == value);
        FUZZ_CHECK(IniWriteValue(written, section, key, value) == written);
    }
    CheckParseInteger(value);
    return 0;
}
