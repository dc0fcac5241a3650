#include "IniText.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// One line of the file: its content and its own line ending, kept byte for byte.
struct Line {
    std::string_view content;
    std::string_view ending;
};

std::vector<Line> SplitKeepingEndings(std::string_view text)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        lines.push_back({text.substr(start, end - start), text.substr(end, next - end)});
        start = next;
    }
    return lines;
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key and value of a "key=value" line; comments and other lines have none.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line)
{
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return std::pair{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

// The UTF-8 byte-order mark editors put in front; it belongs to no line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutMark(std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    return text;
}

} // namespace

std::optional<std::string> IniReadValue(std::string_view text, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (const Line& line : SplitKeepingEndings(WithoutMark(text))) {
        if (auto name = SectionName(line.content)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto pair = KeyValue(line.content); pair && SameName(pair->first, key))
            return std::string(pair->second);
    }
    return std::nullopt;
}

std::string IniWriteValue(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value)
{
    const std::string_view body = WithoutMark(text);
    std::vector<Line> lines = SplitKeepingEndings(body);
    std::string newline = "\r\n";
    for (const Line& line : lines)
        if (!line.ending.empty()) {
            newline = line.ending;
            break;
        }

    // Where the key stands, or where it would go: after the section's last non-blank line.
    std::optional<size_t> keyLine;
    std::optional<size_t> insertAfter;
    bool inSection = false;
    for (size_t i = 0; i < lines.size() && !keyLine; ++i) {
        if (auto name = SectionName(lines[i].content)) {
            inSection = SameName(*name, section);
            if (inSection && !insertAfter)
                insertAfter = i;
            continue;
        }
        if (!inSection)
            continue;
        if (auto pair = KeyValue(lines[i].content); pair && SameName(pair->first, key))
            keyLine = i;
        else if (!Trim(lines[i].content).empty())
            insertAfter = i;
    }

    std::string entry = std::string(key) + "=" + std::string(value);
    // A mark the file had stays in front.
    std::string result(text.substr(0, text.size() - body.size()));
    auto appendLine = [&](std::string_view content, std::string_view ending) {
        result.append(content).append(ending);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keyLine && i == *keyLine) {
            appendLine(entry, lines[i].ending.empty() ? std::string_view() : lines[i].ending);
            continue;
        }
        appendLine(lines[i].content, lines[i].ending);
        if (!keyLine && insertAfter && i == *insertAfter) {
            if (lines[i].ending.empty())
                result.append(newline);
            appendLine(entry, newline);
        }
    }
    if (!keyLine && !insertAfter) {
        if (!body.empty() && body.back() != '\n' && body.back() != '\r')
            result.append(newline);
        result.append("[").append(section).append("]").append(newline);
        appendLine(entry, newline);
    }
    return result;
}

std::optional<long long> ParseInteger(std::string_view text)
{
    text = Trim(text);
    if (text.size() > 1 && text.front() == '+' && std::isdigit(static_cast<unsigned char>(text[1])))
        text.remove_prefix(1);
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}
