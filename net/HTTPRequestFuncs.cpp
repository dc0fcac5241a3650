#include "HTTPRequestFuncs.h"

#include <zlib.h>

#include <algorithm>

#include "Exception.h"

namespace {

constexpr std::string_view PartDelimiter = "-------------------------------7cf87224d2020a";

} // namespace

std::string CutAtZero(std::string text)
{
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    return ToLower(text).find(ToLower(part)) != std::string::npos;
}

std::string EscapePlus(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '+')
            result += "%2B";
        else
            result += c;
    }
    return result;
}

std::string AppendQuery(std::string target, std::string_view extra)
{
    target += target.find('?') == std::string::npos ? '?' : '&';
    target += extra;
    return target;
}

std::vector<std::string> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    while (!text.empty()) {
        size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    }
    return parts;
}

std::string FormBody(std::string_view extraInfo, std::string_view postStr)
{
    if (!extraInfo.empty() && extraInfo.front() == '?')
        extraInfo.remove_prefix(1);
    std::string body(extraInfo);
    if (!postStr.empty()) {
        if (!body.empty())
            body += '&';
        body += postStr;
    }
    return body;
}

std::vector<FormPair> FormPairs(std::string_view formBody)
{
    if (!formBody.empty() && formBody.front() == '&')
        formBody.remove_prefix(1);
    std::vector<FormPair> pairs;
    for (const std::string& pair : SplitAt(formBody, '&')) {
        std::vector<std::string> parts = SplitAt(pair, '=');
        if (parts.size() != 2)
            throw Exception("could not convert " + pair + " to multipart");
        pairs.emplace_back(std::move(parts[0]), std::move(parts[1]));
    }
    return pairs;
}

std::string MultipartBody(const std::vector<FormPair>& variables)
{
    if (variables.empty())
        throw Exception("multipart error: no variables to post");
    std::string body;
    auto line = [&body](std::string_view text) { body.append(text).append("\r\n"); };
    for (const auto& [name, value] : variables) {
        line(PartDelimiter);
        line("Content-Disposition: form-data; name=\"" + name + "\"");
        line("");
        line(value);
    }
    line(std::string(PartDelimiter) + "--");
    return CutAtZero(std::move(body));
}

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

std::string HeaderValue(const std::vector<std::string>& headerLines, std::string_view name)
{
    for (const std::string& line : headerLines) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon != name.size() || ToLower(line.substr(0, colon)) != ToLower(name))
            continue;
        const size_t first = line.find_first_not_of(" \t", colon + 1);
        if (first == std::string::npos)
            return {};
        return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
    }
    return {};
}
