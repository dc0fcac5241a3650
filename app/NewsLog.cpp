#include "NewsLog.h"

#include "StringList.h"

void TNewsLog::IndexLines(const std::string& text)
{
    TStringList split;
    split.SetText(text);
    lines_.insert(split.Lines().begin(), split.Lines().end());
}

void TNewsLog::Load(const std::string& bytes)
{
    box_.LoadFromBytes(bytes);
    lines_.clear();
    IndexLines(box_.Text());
}

void TNewsLog::AppendEntry(const std::string& title, const std::string& text)
{
    for (const std::string& line : {title, text, std::string()}) {
        box_.AppendLine(line);
        IndexLines(line);
    }
    box_.SetSelStart(box_.LineCount() - 1);
}
