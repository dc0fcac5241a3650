#include "LinkAddress.h"

#include <algorithm>

#include "AsciiCase.h"

bool IsLinkAddress(std::string_view address)
{
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string scheme = ToLower(address.substr(0, colon));
    if (scheme != "http" && scheme != "https" && scheme != "mailto")
        return false;
    // A quotation mark would end the address on the command line of the program the
    // shell starts for it.
    return std::none_of(address.begin(), address.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == '"';
    });
}
