#include "RtfText.h"

#include <algorithm>
#include <map>

#include "Utf8.h"

namespace {

// The logs the box writes nest a few groups deep; the box fails on far deeper nesting.
constexpr size_t kDeepestGroup = 16;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpecial(char c) { return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n'; }

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

unsigned CodePageOfCharset(long charset, unsigned ansiCodePage)
{
    static const std::map<long, unsigned> codePages = {
        {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950}, {161, 1253},
        {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}};
    const auto found = codePages.find(charset);
    return found == codePages.end() ? ansiCodePage : found->second;
}

// Groups whose text the box does not show.
bool IsHiddenDestination(std::string_view word)
{
    static const std::string_view names[] = {
        "colortbl", "stylesheet", "info",    "pict",      "object",  "header",   "headerl",  "headerr",
        "headerf",  "footer",     "footerl", "footerr",   "footerf", "footnote", "pntext",   "pntxta",
        "pntxtb",   "listtable",  "listoverridetable", "revtbl", "filetbl", "rsidtbl", "xmlnstbl", "fldinst"};
    return std::find(std::begin(names), std::end(names), word) != std::end(names);
}

// What the box may not be given: raw bytes, embedded objects and pictures (none of which
// the program writes) could make it run code or take memory without bound.
bool IsRefused(std::string_view word) { return word == "bin" || word == "object" || word == "pict"; }

// Characters that a control word stands for.
std::optional<unsigned> CharacterOfWord(std::string_view word)
{
    static const std::map<std::string_view, unsigned> characters = {
        {"tab", '\t'},        {"line", '\v'},       {"emdash", 0x2014},    {"endash", 0x2013},
        {"emspace", 0x2003},  {"enspace", 0x2002},  {"qmspace", 0x2005},   {"bullet", 0x2022},
        {"lquote", 0x2018},   {"rquote", 0x2019},   {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
        {"zwj", 0x200D},      {"zwnj", 0x200C},     {"ltrmark", 0x200E},   {"rtlmark", 0x200F}};
    const auto found = characters.find(word);
    return found == characters.end() ? std::nullopt : std::optional<unsigned>(found->second);
}

bool EndsParagraph(std::string_view word) { return word == "par" || word == "sect" || word == "page"; }

// Words that stand for text or structure rather than formatting in force.
bool IsFormatting(std::string_view word)
{
    return !EndsParagraph(word) && !CharacterOfWord(word) && word != "u" && word != "cell" && word != "row" &&
           word != "nestcell" && word != "nestrow" && word != "bin";
}

struct GroupState {
    bool hidden = false;
    bool fontTable = false;
    unsigned codePage = 1252;
    long skipAfterUnicode = 1;
};

class Reader {
public:
    Reader(std::string_view rtf, const CodePageDecoder& decode,
           const std::function<bool(std::string_view)>& onParagraph, size_t perResumePoint)
        : rtf_(rtf), decode_(decode), onParagraph_(onParagraph), perResumePoint_(perResumePoint)
    {
    }

    std::optional<RtfTextLayout> Read()
    {
        if (rtf_.rfind("{\\rtf", 0) != 0)
            return std::nullopt;
        while (i_ < rtf_.size()) {
            const char c = rtf_[i_];
            if (c == '{') {
                stack_.push_back(state_);
                if (stack_.size() > kDeepestGroup)
                    return std::nullopt;
                ++i_;
            } else if (c == '}') {
                ++i_;
                const bool fontTableEnds = state_.fontTable;
                state_ = stack_.back();
                stack_.pop_back();
                // Text without a font of its own is in the default font.
                if (fontTableEnds && !state_.fontTable)
                    state_.codePage = CodePageOfFont(defaultFont_);
                if (stack_.empty()) {
                    Flush();
                    layout_.lastParagraph = std::move(paragraph_);
                    return std::move(layout_);
                }
            } else if (c == '\\') {
                if (!ControlSequence())
                    return std::nullopt;
            } else if (c == '\r' || c == '\n') {
                ++i_;
            } else {
                TextRun();
            }
        }
        return std::nullopt;
    }

private:
    unsigned CodePageOfFont(long font) const
    {
        const auto found = fontCodePages_.find(font);
        return found == fontCodePages_.end() ? ansiCodePage_ : found->second;
    }

    void TextByte(char byte)
    {
        if (state_.hidden)
            return;
        if (skipCount_ > 0) {
            --skipCount_;
            return;
        }
        if (state_.codePage != bytesCodePage_)
            Flush();
        bytesCodePage_ = state_.codePage;
        bytes_ += byte;
    }

    // Plain characters up to the next one with a meaning of its own, at once.
    void TextRun()
    {
        size_t stop = i_;
        while (stop < rtf_.size() && !IsSpecial(rtf_[stop]))
            ++stop;
        if (state_.hidden || skipCount_ > 0 || stop == i_ + 1) {
            TextByte(rtf_[i_++]);
            return;
        }
        if (state_.codePage != bytesCodePage_)
            Flush();
        bytesCodePage_ = state_.codePage;
        bytes_.append(rtf_.substr(i_, stop - i_));
        i_ = stop;
    }

    void Flush()
    {
        if (bytes_.empty())
            return;
        if (std::all_of(bytes_.begin(), bytes_.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; }))
            paragraph_ += bytes_;
        else
            paragraph_ += decode_(bytesCodePage_, bytes_);
        bytes_.clear();
    }

    void Character(unsigned c)
    {
        if (state_.hidden)
            return;
        Flush();
        AppendUtf8(paragraph_, c);
    }

    bool ControlSequence()
    {
        if (i_ + 1 >= rtf_.size())
            return false;
        const char next = rtf_[i_ + 1];
        if (IsLetter(next))
            return ControlWord();
        i_ += 2;
        switch (next) {
        case '\'': {
            if (i_ + 1 >= rtf_.size() || HexValue(rtf_[i_]) < 0 || HexValue(rtf_[i_ + 1]) < 0)
                return false;
            TextByte(char(HexValue(rtf_[i_]) * 16 + HexValue(rtf_[i_ + 1])));
            i_ += 2;
            break;
        }
        case '*':
            state_.hidden = true;
            break;
        case '\r':
        case '\n':
            EndParagraph(false);
            break;
        case '{':
        case '}':
        case '\\':
            TextByte(next);
            break;
        case '~':
            Character(0xA0);
            break;
        case '_':
            Character(0x2011);
            break;
        default:
            break;
        }
        return true;
    }

    bool ControlWord()
    {
        const size_t start = i_;
        size_t end = i_ + 1;
        while (end < rtf_.size() && IsLetter(rtf_[end]))
            ++end;
        const std::string_view word = rtf_.substr(i_ + 1, end - i_ - 1);
        const bool negative = end < rtf_.size() && rtf_[end] == '-';
        if (negative)
            ++end;
        long number = 0;
        const size_t digits = end;
        while (end < rtf_.size() && IsDigit(rtf_[end]) && end - digits < 9)
            number = number * 10 + (rtf_[end++] - '0');
        const bool hasNumber = end > digits;
        if (negative)
            number = -number;
        const size_t wordEnd = end;
        if (end < rtf_.size() && rtf_[end] == ' ')
            ++end;
        i_ = end;

        // By far the most frequent word, and no formatting.
        if (word == "par") {
            if (stack_.size() == 1)
                layout_.lastOuterParagraph = start;
            if (!state_.hidden)
                EndParagraph(true);
            return true;
        }
        if (IsRefused(word))
            return false;
        if (stack_.size() == 1 && !state_.hidden)
            OuterWord(word, rtf_.substr(start, wordEnd - start));
        if (state_.fontTable)
            FontTableWord(word, number);
        else
            Word(word, number, hasNumber);
        return true;
    }

    void Word(std::string_view word, long number, bool hasNumber)
    {
        if (word == "fonttbl") {
            state_.hidden = state_.fontTable = true;
        } else if (IsHiddenDestination(word)) {
            state_.hidden = true;
        } else if (word == "ansicpg" && hasNumber) {
            ansiCodePage_ = state_.codePage = unsigned(number);
        } else if (word == "deff") {
            defaultFont_ = number;
        } else if (word == "f") {
            state_.codePage = CodePageOfFont(number);
        } else if (word == "plain") {
            state_.codePage = CodePageOfFont(defaultFont_);
        } else if (word == "uc") {
            state_.skipAfterUnicode = std::max(0L, number);
        } else if (word == "u") {
            UnicodeCharacter(number);
        } else if (EndsParagraph(word)) {
            if (!state_.hidden)
                EndParagraph(true);
        } else if (auto character = CharacterOfWord(word)) {
            Character(*character);
        }
    }

    void UnicodeCharacter(long number)
    {
        const unsigned unit = unsigned(number < 0 ? number + 0x10000 : number) & 0xFFFF;
        if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate_) {
            Character(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
        } else {
            Character(unit);
        }
        if (!state_.hidden)
            skipCount_ = state_.skipAfterUnicode;
    }

    void FontTableWord(std::string_view word, long number)
    {
        if (word == "f") {
            tableFont_ = number;
            fontCodePages_[number] = ansiCodePage_;
        } else if (word == "fcharset") {
            fontCodePages_[tableFont_] = CodePageOfCharset(number, ansiCodePage_);
        } else if (word == "cpg") {
            fontCodePages_[tableFont_] = unsigned(number);
        }
    }

    // A word of the outer group: the body starts at its first paragraph reset, and the
    // formatting in force is what its formatting words set since then.
    void OuterWord(std::string_view word, std::string_view text)
    {
        if (word == "pard" && !bodyStarted_) {
            bodyStarted_ = true;
            layout_.bodyStart = size_t(text.data() - rtf_.data());
        }
        if (!bodyStarted_ || !IsFormatting(word))
            return;
        // Plain character and paragraph formats both set again: nothing before counts.
        const std::string_view other = word == "plain" ? "\\pard" : word == "pard" ? "\\plain" : "";
        if (!other.empty()) {
            for (size_t k = formatting_.size(); k-- > 0;) {
                if (formatting_[k] == other) {
                    std::vector<std::string> kept;
                    for (size_t j = 0; j < k; ++j)
                        if (formatting_[j].rfind("\\uc", 0) == 0)
                            kept.push_back(formatting_[j]);
                    kept.insert(kept.end(), formatting_.begin() + long(k), formatting_.end());
                    formatting_ = std::move(kept);
                    break;
                }
            }
        }
        formatting_.emplace_back(text);
    }

    void EndParagraph(bool byWord)
    {
        Flush();
        const bool asked = onParagraph_(paragraph_);
        ++paragraphs_;
        paragraph_.clear();
        layout_.hasParagraphMarks = true;
        if (!byWord || stack_.size() != 1 || !bodyStarted_)
            return;
        const bool periodic = perResumePoint_ != 0 && ++sinceResumePoint_ == perResumePoint_;
        if (periodic)
            sinceResumePoint_ = 0;
        if (periodic || asked) {
            std::string words;
            for (const std::string& formattingWord : formatting_)
                words += formattingWord + " ";
            layout_.resumePoints.push_back({i_, std::move(words), paragraphs_});
        }
    }

    std::string_view rtf_;
    const CodePageDecoder& decode_;
    const std::function<bool(std::string_view)>& onParagraph_;
    const size_t perResumePoint_;
    size_t paragraphs_ = 0;

    size_t i_ = 0;
    GroupState state_;
    std::vector<GroupState> stack_;
    std::map<long, unsigned> fontCodePages_;
    long tableFont_ = 0;
    long defaultFont_ = 0;
    unsigned ansiCodePage_ = 1252;
    long skipCount_ = 0;
    unsigned highSurrogate_ = 0;

    std::string bytes_;
    unsigned bytesCodePage_ = 0;
    std::string paragraph_;

    bool bodyStarted_ = false;
    std::vector<std::string> formatting_;
    size_t sinceResumePoint_ = 0;
    RtfTextLayout layout_;
};

} // namespace

std::optional<RtfTextLayout> ReadRtfText(std::string_view rtf, const CodePageDecoder& decode,
                                         const std::function<bool(std::string_view paragraph)>& onParagraph,
                                         size_t paragraphsPerResumePoint)
{
    return Reader(rtf, decode, onParagraph, paragraphsPerResumePoint).Read();
}
