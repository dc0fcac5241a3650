// A posted form: its URL-encoded pairs, the multipart body made of them, and a file
// part's Base64 lines. Input: the form body; the same bytes serve as a file's content.
#include <cstdint>
#include <string>
#include <vector>

#include "Exception.h"
#include "FuzzCheck.h"
#include "HTTPRequestFuncs.h"

namespace {

std::string Base64Decode(std::string_view encoded)
{
    static constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned group = 0;
    int bits = 0;
    for (char c : encoded) {
        if (c == '=')
            break;
        const size_t value = alphabet.find(c);
        FUZZ_CHECK(value != std::string_view::npos);
        group = (group << 6 | unsigned(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += char(group >> bits & 0xFF);
        }
    }
    return bytes;
}

// Full lines of 64 characters, each ended by a lone CR, and the bytes come back whole.
void CheckBase64Lines(std::string_view bytes)
{
    const std::string lines = Base64Lines(bytes);
    std::string encoded;
    size_t lineLength = 0;
    for (char c : lines) {
        if (c == '\r') {
            FUZZ_CHECK(lineLength == 64);
            lineLength = 0;
            continue;
        }
        encoded += c;
        ++lineLength;
    }
    FUZZ_CHECK(lineLength < 64);
    FUZZ_CHECK(encoded.size() % 4 == 0);
    FUZZ_CHECK(Base64Decode(encoded) == bytes);
}

// Accepted pairs keep every byte of the body but its separators; the multipart body
// carries each of them whole up to the first zero byte and is closed when there is none.
void CheckForm(std::string_view body)
{
    std::vector<FormPair> pairs;
    try {
        pairs = FormPairs(body);
    } catch (const Exception&) {
        return;
    }
    std::string joined;
    for (const auto& [name, value] : pairs) {
        FUZZ_CHECK((name + value).find_first_of("=&") == std::string::npos);
        joined += name + value;
    }
    std::string content(body);
    std::erase_if(content, [](char c) { return c == '=' || c == '&'; });
    FUZZ_CHECK(joined == content);
    if (pairs.empty())
        return;

    const std::string multipart = MultipartBody(pairs);
    FUZZ_CHECK(multipart.find('\0') == std::string::npos);
    if (content.find('\0') != std::string::npos)
        return;
    for (const auto& [name, value] : pairs)
        FUZZ_CHECK(multipart.find("name=\"" + name + "\"\r\n\r\n" + value + "\r\n") != std::string::npos);
    FUZZ_CHECK(multipart.ends_with("--\r\n"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckForm(input);
    CheckBase64Lines(input);
    return 0;
}
