#include "StringList.h"

#include <algorithm>

int TStringList::IndexOf(std::string_view line) const
{
    auto found = std::find(lines_.begin(), lines_.end(), line);
    return found == lines_.end() ? -1 : int(found - lines_.begin());
}

std::optional<std::string_view> TextLines::Next()
{
    if (start_ >= text_.size())
        return std::nullopt;
    const size_t end = std::min(text_.find_first_of("\r\n", start_), text_.size());
    const std::string_view line = text_.substr(start_, end - start_);
    start_ = end + 1;
    if (end < text_.size() && text_[end] == '\r' && start_ < text_.size() && text_[start_] == '\n')
        ++start_;
    return line;
}

void TStringList::SetText(std::string_view text)
{
    lines_.clear();
    TextLines lines(text);
    while (const std::optional<std::string_view> line = lines.Next())
        lines_.emplace_back(*line);
}

std::string TStringList::Text() const
{
    std::string text;
    for (const std::string& line : lines_)
        text.append(line).append("\r\n");
    return text;
}
