// A posted form: its URL-encoded pairs, the multipart body made of them, and a file
// part's Base64 lines. Input: the form body; the same bytes serve as a file's content
// and as a Base64 text to decode.
#include <cstdint>
#include <string>
#include <vector>

#include "Base64.h"
#include "Exception.h"
#include "FuzzCheck.h"
#include "HTTPRequestFuncs.h"

namespace {

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
    FUZZ_CHECK(Base64Decode(encoded) == bytes);
    // Any text that decodes is the one encoding of its bytes.
    if (const auto decoded = Base64Decode(bytes))
        FUZZ_CHECK(Base64Encode(*decoded) == bytes);
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
