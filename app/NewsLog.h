#pragma once
#include <string>
#include <unordered_set>

#include "RichEdit.h"
#include "RtfDocument.h"

// The news log in its rich-text box, with an index of its lines and its rich text kept in
// step with the box, so that neither asking for a line nor saving after an entry reads a
// long log whole. Only this class changes the box's text.
class TNewsLog {
public:
    explicit TNewsLog(TRichEdit& box) : box_(box) {}

    // Rich text, or plain text when it is not.
    void Load(const std::string& bytes);
    // The whole log as the box writes it.
    const std::string& SaveToRtf();

    bool HoldsLine(const std::string& line) const { return lines_.contains(line); }
    // Title, text and an empty line at the end; the caret goes to the line count − 1.
    void AppendEntry(const std::string& title, const std::string& text);

private:
    void IndexLines(const std::string& text);

    TRichEdit& box_;
    std::unordered_set<std::string> lines_;
    TRtfDocument rtf_;
    bool endsWithLineBreak_ = true;
};
