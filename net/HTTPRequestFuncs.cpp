#include "HTTPRequestFuncs.h"

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
