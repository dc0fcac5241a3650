#include "Gzip.h"

#include <zlib.h>

#include <algorithm>

#include "Exception.h"

bool HasPlainGzipSignature(std::string_view bytes)
{
    static constexpr unsigned char signature[8] = {0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00};
    return bytes.size() >= 8 && std::equal(signature, signature + 8, bytes.begin(), [](unsigned char a, char b) {
               return a == static_cast<unsigned char>(b);
           });
}

std::string ReplyTooLargeMessage(size_t limit)
{
    return "HTTP: reply larger than " + std::to_string(limit) + " bytes";
}

void InflateGzip(std::string_view member, TMemoryStream& output, size_t limit)
{
    z_stream stream{};
    // 16 + MAX_WBITS: zlib reads the gzip header and checks the trailer's CRC and size.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        throw Exception("Error");
    struct End {
        z_stream& s;
        ~End() { inflateEnd(&s); }
    } end{stream};

    output.Clear();
    char chunk[64 * 1024];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
    stream.avail_in = uInt(member.size());
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END)
            throw Exception("Error");
        size_t produced = sizeof chunk - stream.avail_out;
        if (output.Size() + produced > limit)
            throw Exception(ReplyTooLargeMessage(limit));
        output.Write(chunk, produced);
    }
}
