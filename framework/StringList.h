#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lines of 8-bit text one at a time, where they lie: they end at CR LF, LF or CR; the
// text ends at its first zero byte.
class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}
    // Nothing after the last line.
    std::optional<std::string_view> Next();

private:
    std::string_view text_;
    size_t start_ = 0;
};

// An ordered list of 8-bit text lines.
class TStringList {
public:
    size_t Count() const { return lines_.size(); }
    const std::string& operator[](size_t index) const { return lines_.at(index); }
    const std::vector<std::string>& Lines() const { return lines_; }

    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    int IndexOf(std::string_view line) const;

    // The lines TextLines finds.
    void SetText(std::string_view text);
    // Every line followed by CR LF.
    std::string Text() const;

private:
    std::vector<std::string> lines_;
};
