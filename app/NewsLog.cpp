#include "NewsLog.h"

#include <algorithm>

#include "Exception.h"
#include "StringList.h"
#include "Text.h"

namespace {

// About a hundred entries a piece: a few tens of milliseconds in the box.
constexpr size_t kParagraphsPerPiece = 300;

const char* const kOlderEntriesFollow = "Starší zprávy se ještě načítají…";

bool EndsWithLineBreak(const std::string& text)
{
    return text.empty() || text.back() == '\r' || text.back() == '\n';
}

bool IsRtf(const std::string& bytes) { return bytes.rfind("{\\rtf", 0) == 0; }

} // namespace

void TNewsLog::IndexLines(std::string_view text)
{
    if (text.empty()) {
        lines_.emplace();
        return;
    }
    TStringList split;
    split.SetText(text);
    lines_.insert(split.Lines().begin(), split.Lines().end());
}

void TNewsLog::Load(const std::string& bytes)
{
    box_.Clear();
    preview_.Clear();
    preview_.SetVisible(false);
    lines_.clear();
    rtf_.Forget();
    pieces_.clear();
    nextPiece_ = 0;
    unkept_.clear();
    try {
        if (IsRtf(bytes)) {
            LoadRtf(bytes);
        } else {
            // A file with zero bytes in it is a damaged file, not text.
            if (bytes.find('\0') != std::string::npos)
                throw Exception("Soubor nelze přečíst");
            const std::string text = IsValidUtf8(bytes) ? bytes : Narrow(AnsiToWide(bytes));
            TStringList split;
            split.SetText(text);
            lines_.insert(split.Lines().begin(), split.Lines().end());
            endsWithLineBreak_ = EndsWithLineBreak(text);
            unkept_ = bytes;
        }
    } catch (...) {
        // A file that could not be read whole leaves the log empty, not half-loaded.
        lines_.clear();
        rtf_.Forget();
        pieces_.clear();
        unkept_.clear();
        endsWithLineBreak_ = true;
        Finish();
        throw;
    }
    filled_ = bytes.empty();
    box_.SetVisible(filled_);
}

void TNewsLog::LoadRtf(const std::string& bytes)
{
    // The box's text is its paragraphs joined by line breaks; a mark that ends the
    // document with nothing after it is the box's own end and makes no line.
    bool anyParagraph = false;
    bool lastEmpty = false;
    const auto layout = ReadRtfText(
        bytes, CodePageToUtf8,
        [&](std::string_view paragraph) {
            IndexLines(paragraph);
            anyParagraph = true;
            lastEmpty = paragraph.empty();
        },
        kParagraphsPerPiece);
    if (!layout)
        throw Exception("Soubor nelze přečíst");
    if (!layout->lastParagraph.empty())
        IndexLines(layout->lastParagraph);
    endsWithLineBreak_ = layout->lastParagraph.empty() && (!anyParagraph || lastEmpty);

    if (rtf_.Assign(bytes) && layout->bodyStart > 0 && layout->bodyStart < rtf_.LastParagraph()) {
        head_ = bytes.substr(0, layout->bodyStart);
        pieces_.push_back({layout->bodyStart, {}});
        for (const RtfResumePoint& point : layout->resumePoints)
            if (point.offset < rtf_.LastParagraph())
                pieces_.push_back(point);
    } else if (!rtf_.Valid()) {
        unkept_ = bytes;
    }
}

size_t TNewsLog::EndOfLastPiece() const
{
    // The document's closing paragraph mark is the box's own end: read in at the end of
    // the box's text, it would make one line too many.
    const std::string& rtf = rtf_.Text();
    const size_t closing = rtf.rfind('}');
    const size_t afterMark = rtf_.LastParagraph() + 4;
    const bool onlySpaceAfter = afterMark <= closing &&
                                std::all_of(rtf.begin() + long(afterMark), rtf.begin() + long(closing),
                                            [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
    return onlySpaceAfter ? rtf_.LastParagraph() : closing;
}

std::string TNewsLog::Piece(size_t first, size_t end) const
{
    const size_t from = pieces_[first].offset;
    const size_t to = end < pieces_.size() ? pieces_[end].offset : EndOfLastPiece();
    return head_ + pieces_[first].formatting + rtf_.Text().substr(from, to - from) + "}";
}

bool TNewsLog::FillStep()
{
    if (filled_)
        return false;
    if (pieces_.size() <= 1) {
        box_.LoadFromBytes(rtf_.Valid() ? rtf_.Text() : std::exchange(unkept_, {}));
        if (!rtf_.Valid())
            rtf_.Assign(box_.SaveToRtf());
        Finish();
        return false;
    }
    if (nextPiece_ == 0) {
        // The first piece read as a document sets the box's own end as the file does; the
        // mark added before its end stands for that end, so its last line break stays.
        std::string first = Piece(0, 1);
        first.insert(first.size() - 1, "\\par ");
        box_.LoadFromBytes(first);
    } else {
        box_.AppendRtf(Piece(nextPiece_, nextPiece_ + 1));
    }
    if (++nextPiece_ == pieces_.size())
        Finish();
    return !filled_;
}

void TNewsLog::FillAll()
{
    while (FillStep()) {
    }
}

void TNewsLog::Finish()
{
    filled_ = true;
    head_.clear();
    pieces_.clear();
    nextPiece_ = 0;
    box_.SetVisible(true);
    box_.ShowEnd();
    preview_.SetVisible(false);
    preview_.Clear();
}

void TNewsLog::PrepareShow()
{
    if (filled_ || preview_.Visible())
        return;
    if (pieces_.empty()) {
        FillAll();
        return;
    }
    preview_.Clear();
    preview_.AppendText(std::string(kOlderEntriesFollow) + "\r");
    preview_.AppendRtf(Piece(std::max(nextPiece_, pieces_.size() - std::min<size_t>(pieces_.size(), 2)), pieces_.size()));
    preview_.SetVisible(true);
    preview_.ShowEnd();
}

const std::string& TNewsLog::SaveToRtf()
{
    if (!rtf_.Valid()) {
        FillAll();
        rtf_.Assign(box_.SaveToRtf());
    }
    return rtf_.Text();
}

void TNewsLog::AppendEntry(const std::string& title, const std::string& text)
{
    // A text that does not end in a line break gets one first.
    const std::string entry = (endsWithLineBreak_ ? "" : "\r") + title + "\r" + text + "\r\r";
    if (!filled_ && endsWithLineBreak_ && rtf_.Valid() && rtf_.Append(box_.RtfOfAppendedText(entry))) {
        // The box gets the entry with the rest of the rich text; the preview at once.
        IndexEntry(title, text);
        if (preview_.Visible()) {
            preview_.AppendText(entry);
            preview_.SetSelStart(preview_.LineCount() - 1);
        }
        return;
    }
    FillAll();
    const bool joinable = endsWithLineBreak_ && rtf_.Valid();
    const std::string entryRtf = joinable ? box_.RtfOfAppendedText(entry) : std::string();
    box_.AppendText(entry);
    IndexEntry(title, text);
    box_.SetSelStart(box_.LineCount() - 1);
    if (!joinable || !rtf_.Append(entryRtf)) {
        // Until the box's rich text is read again, there is none to save: a failed reading
        // must not leave the one from before the entry to be saved later.
        rtf_.Forget();
        rtf_.Assign(box_.SaveToRtf());
    }
}

void TNewsLog::IndexEntry(const std::string& title, const std::string& text)
{
    endsWithLineBreak_ = true;
    IndexLines(title);
    IndexLines(text);
}
