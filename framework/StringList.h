#pragma once
#include <string>
#include <string_view>
#include <vector>

// An ordered list of 8-bit text lines.
class TStringList {
public:
    size_t Count() const { return lines_.size(); }
    const std::string& operator[](size_t index) const { return lines_.at(index); }
    const std::vector<std::string>& Lines() const { return lines_; }

    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    int IndexOf(std::string_view line) const;

    // Lines end at CR LF, LF or CR; the text ends at its first zero byte.
    void SetText(std::string_view text);
    // Every line followed by CR LF.
    std::string Text() const;

private:
    std::vector<std::string> lines_;
};
