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
    const auto first = ParseSerial(text.substr(0, half));
    const std::string stored(text.substr(half));
    // The bar is the stored serial or the floor, whichever is higher; any other text is absent.
    const SerialBar bar = SerialToReach(stored, half);
    const auto second = ParseSerial(stored);
    FUZZ_CHECK(bar.StoredUnreadable == !second);
    FUZZ_CHECK(bar.Serial == (second && *second > half ? *second : half));
    const SerialVerdict verdict = JudgeSerial(first, bar.Serial, std::nullopt);
    FUZZ_CHECK(!first                 ? verdict == SerialVerdict::Refused
               : *first > bar.Serial  ? verdict == SerialVerdict::Fresh
               : *first == bar.Serial ? verdict == SerialVerdict::NothingNew
                                      : verdict == SerialVerdict::Refused);
    // A pending serial refuses what lies below it and changes nothing else.
    const SerialVerdict withPending = JudgeSerial(first, bar.Serial, second);
    FUZZ_CHECK(first && second && *first < *second ? withPending == SerialVerdict::Refused : withPending == verdict);
    return 0;
}
