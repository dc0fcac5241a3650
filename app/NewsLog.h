#pragma once
#include <string>
#include <unordered_set>

#include "RichEdit.h"

// The news log in its rich-text box, with an index of its lines kept in step with the box,
// so that asking for a line does not read a long log line by line.
class TNewsLog {
public:
    explicit TNewsLog(TRichEdit& box) : box_(box) {}

    // Rich text, or plain text when it is not.
    void Load(const std::string& bytes);
    std::string SaveToRtf() { return box_.SaveToRtf(); }

    bool HoldsLine(const std::string& line) const { return lines_.contains(line); }
    // Title, text and an empty line at the end; the caret goes to the line count − 1.
    void AppendEntry(const std::string& title, const std::string& text);

private:
    void IndexLines(const std::string& text);

    TRichEdit& box_;
    std::unordered_set<std::string> lines_;
};
