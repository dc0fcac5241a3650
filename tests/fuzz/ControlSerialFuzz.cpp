// Serials of control files: any text, and the order of two read serials.
#include <cstdint>
#include <string>
#include <string_view>

#include "ControlSerial.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto serial = ParseSerial(text);
    // Only plain digits are a serial, and a serial reads back from its own digits.
    if (serial)
        FUZZ_CHECK(ParseSerial(std::to_string(*serial)) == serial);
    for (char c : text)
        if (c < '0' || c > '9')
            FUZZ_CHECK(!serial);
    const size_t half = size / 2;
    const auto first = ParseSerial(text.substr(0, half)), second = ParseSerial(text.substr(half));
    const SerialVerdict verdict = JudgeSerial(first, second);
    FUZZ_CHECK(!first ? verdict == SerialVerdict::Refused
                      : !second || *first > *second ? verdict == SerialVerdict::Fresh
                      : *first == *second           ? verdict == SerialVerdict::NothingNew
                                                    : verdict == SerialVerdict::Refused);
    return 0;
}
