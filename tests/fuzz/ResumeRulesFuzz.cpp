// What a server and the kept record hand the resume rules. Input: a status byte and a
// held-byte count, then the text, read as a Content-Range and as a record. Checked: bytes are
// added only to a 206 whose range starts at their end; a record read back writes out and
// reads again as the same record, its validator fit to go back in a header.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "ResumeRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const unsigned status = data[0] % 2 ? 206 : 200 + data[0] % 300;
    const uint64_t held = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (JudgeResumeReply(status, text, held) == ResumeReply::Append) {
        FUZZ_CHECK(status == 206 && text.starts_with("bytes "));
        // The first position, leading zeros aside, is the held count.
        std::string_view first = text.substr(6, text.find('-') - 6);
        while (first.size() > 1 && first.front() == '0')
            first.remove_prefix(1);
        FUZZ_CHECK(first == std::to_string(held));
    }
    if (const auto record = ParsePartialRecord(text)) {
        const auto again = ParsePartialRecord(PartialRecordText(*record));
        FUZZ_CHECK(again && again->address == record->address && again->sha256 == record->sha256 &&
                   again->validator == record->validator && again->bytes == record->bytes);
        FUZZ_CHECK(!ResumeValidator("", record->validator).empty());
    }
    return 0;
}
