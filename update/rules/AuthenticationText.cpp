#include "AuthenticationText.h"

#include <algorithm>
#include <cctype>

#include "AsciiCase.h"
#include "Base64.h"

namespace {

constexpr size_t kDigestHexLength = 64;

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::optional<SignatureBytes> ParseSignatureText(std::string_view text)
{
    auto bytes = Base64Decode(Trimmed(text));
    SignatureBytes signature;
    if (!bytes || bytes->size() != signature.size())
        return std::nullopt;
    std::copy(bytes->begin(), bytes->end(), signature.begin());
    return signature;
}

std::optional<std::string> ParseSha256Value(std::string_view value)
{
    if (value.size() != kDigestHexLength ||
        !std::all_of(value.begin(), value.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    return ToLower(value);
}
