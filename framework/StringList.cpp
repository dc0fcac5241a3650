#include "StringList.h"

#include <algorithm>

int TStringList::IndexOf(std::string_view line) const
{
    auto found = std::find(lines_.begin(), lines_.end(), line);
    return found == lines_.end() ? -1 : int(found - lines_.begin());
}

void TStringList::SetText(std::string_view text)
{
    lines_.clear();
    text = text.substr(0, text.find('\0'));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines_.emplace_back(text.substr(start));
            break;
        }
        lines_.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

std::string TStringList::Text() const
{
    std::string text;
    for (const std::string& line : lines_)
        text.append(line).append("\r\n");
    return text;
}
