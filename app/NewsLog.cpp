#include "NewsLog.h"

#include "StringList.h"

namespace {
bool EndsWithLineBreak(const std::string& text)
{
    return text.empty() || text.back() == '\r' || text.back() == '\n';
}
} // namespace

void TNewsLog::IndexLines(const std::string& text)
{
    TStringList split;
    split.SetText(text);
    lines_.insert(split.Lines().begin(), split.Lines().end());
}

void TNewsLog::Load(const std::string& bytes)
{
    try {
        box_.LoadFromBytes(bytes);
    } catch (...) {
        // A file that could not be read whole leaves the log empty, not half-loaded.
        box_.Clear();
        throw;
    }
    const std::string text = box_.Text();
    lines_.clear();
    IndexLines(text);
    endsWithLineBreak_ = EndsWithLineBreak(text);
    rtf_.Assign(box_.SaveToRtf());
}

const std::string& TNewsLog::SaveToRtf()
{
    if (!rtf_.Valid())
        rtf_.Assign(box_.SaveToRtf());
    return rtf_.Text();
}

void TNewsLog::AppendEntry(const std::string& title, const std::string& text)
{
    // A text that does not end in a line break gets one first.
    const std::string entry = (endsWithLineBreak_ ? "" : "\r") + title + "\r" + text + "\r\r";
    const bool joinable = endsWithLineBreak_ && rtf_.Valid();
    const std::string entryRtf = joinable ? box_.RtfOfAppendedText(entry) : std::string();
    box_.AppendText(entry);
    endsWithLineBreak_ = true;
    if (!joinable || !rtf_.Append(entryRtf))
        rtf_.Assign(box_.SaveToRtf());
    for (const std::string& line : {title, text})
        IndexLines(line);
    box_.SetSelStart(box_.LineCount() - 1);
}
