// The library's one export. __stdcall like the system's own exports; orcoredll.def keeps
// the name undecorated ("URLDecodeUTF8") on 32-bit builds too.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "UrlDecode.h"

namespace {

// Keeps a cut text from ending in half of a surrogate pair.
size_t CutAt(const std::u16string& text, size_t room)
{
    if (text.size() <= room)
        return text.size();
    if (room > 0 && text[room - 1] >= 0xD800 && text[room - 1] <= 0xDBFF)
        return room - 1;
    return room;
}

void WriteTerminated(const std::u16string& text, char16_t* output, int32_t capacityBytes)
{
    if (!output || capacityBytes < int32_t(sizeof(char16_t)))
        return;
    size_t room = size_t(capacityBytes) / sizeof(char16_t) - 1;
    size_t count = CutAt(text, room);
    std::memcpy(output, text.data(), count * sizeof(char16_t));
    output[count] = 0;
}

} // namespace

// Decodes the zero-terminated percent-encoded UTF-8 `encoded` into `output` as zero-terminated
// UTF-16, using at most *capacityBytes bytes (a text that does not fit is cut at a character
// boundary). Returns the decoded text's full length in UTF-16 units, so a caller can tell a cut.
extern "C" int32_t __stdcall URLDecodeUTF8(const char* encoded, char16_t* output, const int32_t* capacityBytes)
{
    int32_t capacity = capacityBytes ? *capacityBytes : 0;
    try {
        std::u16string text = DecodeUrlUtf8(encoded ? encoded : "");
        WriteTerminated(text, output, capacity);
        return int32_t(std::min<size_t>(text.size(), INT32_MAX));
    } catch (...) {
        // Out of memory: an empty result rather than an exception across the library's edge.
        WriteTerminated(u"", output, capacity);
        return 0;
    }
}
