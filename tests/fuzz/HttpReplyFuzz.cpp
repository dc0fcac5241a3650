// A reply body as the request hands it on: inflated when it is a plain gzip member,
// then split into lines. Input: a mode byte, then the body. In the odd modes the body
// is first gzipped here, so the inflation must give it back whole.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "Exception.h"
#include "FuzzCheck.h"
#include "HTTPRequestFuncs.h"
#include "StringList.h"

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Lines hold every byte up to the first zero except the breaks, and a CR LF is one break.
void CheckLines(std::string_view body)
{
    TStringList lines;
    lines.SetText(body);
    const std::string_view text = body.substr(0, body.find('\0'));
    std::string joined;
    for (const std::string& line : lines.Lines()) {
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        joined += line;
    }
    std::string unbroken;
    size_t breaks = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsBreak(text[i]))
            unbroken += text[i];
        else if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r'))
            ++breaks;
    }
    FUZZ_CHECK(joined == unbroken);
    FUZZ_CHECK(lines.Count() == breaks + (!text.empty() && !IsBreak(text.back()) ? 1 : 0));

    TStringList again;
    again.SetText(lines.Text());
    FUZZ_CHECK(again.Lines() == lines.Lines());
}

std::string Gzip(std::string_view bytes)
{
    z_stream stream{};
    FUZZ_CHECK(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK);
    std::string member(deflateBound(&stream, uLong(bytes.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(member.data());
    stream.avail_out = uInt(member.size());
    FUZZ_CHECK(deflate(&stream, Z_FINISH) == Z_STREAM_END);
    member.resize(stream.total_out);
    deflateEnd(&stream);
    return member;
}

// Inflated as the request does; a failure must be one of the two known errors.
std::optional<std::string> Inflate(std::string_view member)
{
    TMemoryStream output;
    try {
        InflateGzip(member, output);
    } catch (const Exception& error) {
        FUZZ_CHECK(error.what() == std::string("Error") || error.what() == ReplyTooLargeMessage());
        return std::nullopt;
    }
    FUZZ_CHECK(output.Size() <= MaxReplySize);
    return output.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);

    if (mode % 2 == 1) {
        const std::string member = Gzip(body);
        FUZZ_CHECK(HasPlainGzipSignature(member));
        FUZZ_CHECK(Inflate(member) == body);
        // A member cut short never passes for a whole one.
        const size_t cut = mode / 2 % member.size();
        FUZZ_CHECK(!Inflate(std::string_view(member).substr(0, cut)).has_value());
        return 0;
    }

    std::string reply(body);
    if (HasPlainGzipSignature(reply))
        reply = Inflate(reply).value_or(std::string());
    CheckLines(reply);
    return 0;
}
