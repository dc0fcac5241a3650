#include "NewsLog.h"

#include <algorithm>
#include <array>
#include <map>

#include "Exception.h"
#include "Text.h"

namespace {

// About a hundred entries a piece: a few tens of milliseconds in the box.
constexpr size_t kParagraphsPerPiece = 300;
// Plain text is made rich text in a box of its own this many lines at a time: the heap
// keeps what such a box took and gives it to the next one, so it stays small.
constexpr size_t kTextLinesPerPiece = 60;

const char* const kOlderEntriesFollow = "Starší zprávy se ještě načítají…";

bool EndsWithLineBreak(const std::string& text)
{
    return text.empty() || text.back() == '\r' || text.back() == '\n';
}

bool IsRtf(const std::string& bytes) { return bytes.rfind("{\\rtf", 0) == 0; }

// A file that is not rich text, as text: UTF-8, or else the system's code page.
std::string PlainText(const std::string& bytes) { return IsValidUtf8(bytes) ? bytes : Narrow(AnsiToWide(bytes)); }

// Each line of the text, split as the box splits its text into lines.
template <typename Take>
void ForEachLine(std::string_view text, Take take)
{
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        take(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
}

// Each line of a paragraph the reader hands on: an empty paragraph is one empty line.
template <typename Take>
void ForEachParagraphLine(std::string_view paragraph, Take take)
{
    if (paragraph.empty())
        take(paragraph);
    ForEachLine(paragraph, take);
}

// Single-byte code pages turned to UTF-8 a byte at a time, from a table made once each.
std::string DecodeCodePage(unsigned codePage, std::string_view bytes)
{
    static std::map<unsigned, std::array<std::string, 256>> tables;
    auto table = tables.find(codePage);
    if (table == tables.end()) {
        if (!IsSingleByteCodePage(codePage))
            return CodePageToUtf8(codePage, bytes);
        table = tables.emplace(codePage, std::array<std::string, 256>{}).first;
        for (int byte = 0; byte < 256; ++byte)
            table->second[size_t(byte)] = CodePageToUtf8(codePage, std::string(1, char(byte)));
    }
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes)
        text += table->second[byte];
    return text;
}

} // namespace

void TNewsLog::TakeLoadedLine(std::string_view line)
{
    entries_.Take(line.empty());
    lastLines_[linesTaken_ % lastLines_.size()] = line;
    if (const auto title = titleFinder_.Take(linesTaken_, line.empty()))
        KeepLastEntry(lastLines_[*title % lastLines_.size()], lastLines_[(*title + 1) % lastLines_.size()]);
    ++linesTaken_;
}

void TNewsLog::KeepLastEntry(std::string_view title, std::string_view text)
{
    if (lastEntries_.size() == kLastEntries)
        lastEntries_.pop_front();
    lastEntries_.push_back({std::string(title), std::string(text)});
}

std::vector<LogEntry> TNewsLog::LastEntries()
{
    Read();
    return {lastEntries_.begin(), lastEntries_.end()};
}

void TNewsLog::Load(std::string bytes)
{
    box_.Clear();
    preview_.Clear();
    preview_.SetVisible(false);
    box_.SetVisible(false);
    Take(std::move(bytes));
}

void TNewsLog::Take(std::string bytes)
{
    // Emptied with their room (clearing, or assigning {}, would keep it): a log that was
    // long must not keep a long log's memory.
    decltype(lastEntries_)().swap(lastEntries_);
    lastLines_ = {};
    linesTaken_ = 0;
    titleFinder_ = {};
    entries_ = {};
    rtf_.Forget();
    decltype(pieces_)().swap(pieces_);
    nextPiece_ = 0;
    std::string().swap(unkept_);
    endsWithLineBreak_ = true;
    damaged_ = false;
    read_ = bytes.empty();
    // An empty log, too, stays out of the box until it is shown (see AppendEntry).
    filled_ = false;
    unread_ = std::move(bytes);
}

bool TNewsLog::Read()
{
    if (read_)
        return !damaged_;
    read_ = true;
    std::string bytes = std::exchange(unread_, {});
    try {
        if (IsRtf(bytes)) {
            // Without a paragraph reset before its text, it gets one: it is then read, filled
            // and added to as the box's own documents are.
            if (const auto reset = MissingParagraphReset(bytes))
                bytes.insert(*reset, "\\pard ");
            LoadRtf(std::move(bytes));
        } else {
            // A file with zero bytes in it is a damaged file, not text.
            if (bytes.find('\0') != std::string::npos)
                throw Exception("Soubor nelze přečíst");
            const std::string text = PlainText(bytes);
            ForEachLine(text, [&](std::string_view line) { TakeLoadedLine(line); });
            endsWithLineBreak_ = EndsWithLineBreak(text);
            unkept_ = std::move(bytes);
        }
        if (const auto title = titleFinder_.Finish())
            KeepLastEntry(lastLines_[*title % lastLines_.size()], lastLines_[(*title + 1) % lastLines_.size()]);
        lastLines_ = {};
        return true;
    } catch (const std::exception&) {
        // A file that could not be read whole leaves the log empty, not half-loaded, and
        // says so until something else is loaded.
        Load({});
        damaged_ = true;
        return false;
    }
}

void TNewsLog::LoadRtf(std::string bytes)
{
    // The box's text is its paragraphs joined by line breaks; a mark that ends the
    // document with nothing after it is the box's own end and makes no line.
    bool anyParagraph = false;
    bool lastEmpty = false;
    const auto layout = ReadRtfText(
        bytes, DecodeCodePage,
        [&](std::string_view paragraph) {
            ForEachParagraphLine(paragraph, [&](std::string_view line) { TakeLoadedLine(line); });
            anyParagraph = true;
            lastEmpty = paragraph.empty();
            return false;
        },
        kParagraphsPerPiece);
    if (!layout)
        throw Exception("Soubor nelze přečíst");
    ForEachLine(layout->lastParagraph, [&](std::string_view line) { TakeLoadedLine(line); });
    endsWithLineBreak_ = layout->lastParagraph.empty() && (!anyParagraph || lastEmpty);

    // A document of the box's kind is read in pieces from its paragraph marks; any
    // other is read whole.
    if (layout->bodyStart > 0 && layout->bodyStart < layout->lastOuterParagraph) {
        rtf_.Adopt(std::move(bytes), layout->bodyStart, layout->lastOuterParagraph);
        head_ = rtf_.Text().substr(0, layout->bodyStart);
        pieces_.push_back({layout->bodyStart, {}});
        for (const RtfResumePoint& point : layout->resumePoints)
            if (point.offset < rtf_.LastParagraph())
                pieces_.push_back(point);
    } else if (!rtf_.Assign(std::move(bytes))) {
        unkept_ = rtf_.Text();
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
    if (!Read() || filled_)
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
    if (!Read() || filled_ || preview_.Visible())
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

void TNewsLog::RtfWithoutBox()
{
    if (filled_ || rtf_.Valid())
        return;
    // An empty log's rich text is the empty box's document; plain text is made rich text a
    // few lines at a time. A program hidden in the tray pays the box's memory neither at
    // start-up nor per entry.
    if (unkept_.empty())
        rtf_.Assign(box_.SaveToRtf());
    else if (!IsRtf(unkept_))
        TakeTextAsRtf();
}

void TNewsLog::TakeTextAsRtf()
{
    const std::string text = PlainText(unkept_);
    // Made apart, so that a failure leaves no part of the log to be saved for the whole.
    TRtfDocument made;
    std::string piece;
    size_t lines = 0;
    bool kept = true;
    const auto keep = [&] {
        const std::string rtf = box_.RtfOfAppendedText(piece);
        kept = kept && (made.Valid() ? made.Append(rtf) : made.Assign(rtf));
        piece.clear();
        lines = 0;
    };
    ForEachLine(text, [&](std::string_view line) {
        if (lines == kTextLinesPerPiece)
            keep();
        piece.append(line) += '\r';
        ++lines;
    });
    if (!endsWithLineBreak_)
        piece.pop_back();
    keep();
    if (kept) {
        rtf_ = std::move(made);
        std::string().swap(unkept_);
    }
}

bool TNewsLog::JoinHidden(const std::string& entryRtf)
{
    const size_t bodyStart = rtf_.BodyStart();
    if (!rtf_.AppendJoiningTables(entryRtf))
        return false;
    // Tables that took a font or colour more moved the body, and so the pieces still to fill.
    if (rtf_.BodyStart() != bodyStart && !pieces_.empty()) {
        head_ = rtf_.Text().substr(0, rtf_.BodyStart());
        for (RtfResumePoint& piece : pieces_)
            piece.offset += rtf_.BodyStart() - bodyStart;
    }
    return true;
}

const std::string& TNewsLog::SaveToRtf()
{
    Read();
    RtfWithoutBox();
    if (!rtf_.Valid()) {
        FillAll();
        rtf_.Assign(box_.SaveToRtf());
    }
    return rtf_.Text();
}

void TNewsLog::AppendEntry(const std::string& title, const std::string& text)
{
    Read();
    RtfWithoutBox();
    // A text that does not end in a line break gets one first.
    const std::string entry = (endsWithLineBreak_ ? "" : "\r") + title + "\r" + text + "\r\r";
    if (!filled_ && endsWithLineBreak_ && rtf_.Valid() && JoinHidden(box_.RtfOfAppendedText(entry))) {
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
    entries_.Take(false);
    entries_.Take(false);
    entries_.Take(true);
    endsWithLineBreak_ = true;
    KeepLastEntry(title, text);
}

std::optional<LogSurplus> TNewsLog::FindSurplus()
{
    if (!Read() || entries_.Entries() <= kMostEntries)
        return std::nullopt;
    const size_t moved = entries_.Entries() - kKeptEntries;
    // Rich text of the box's kind, also when the file was not.
    const std::string_view rtf = SaveToRtf();
    // Asked for after the last entry to move and a few after it: the first place the text
    // can be cut at (an entry within a group cannot) is where the surplus ends.
    constexpr size_t kPlacesAsked = 16;
    struct Place {
        size_t paragraphs;
        size_t boxCharacters;
    };
    std::vector<Place> asked;
    LogEntryCounter counter;
    size_t paragraphs = 0;
    size_t characters = 0;
    const auto layout = ReadRtfText(
        rtf, DecodeCodePage,
        [&](std::string_view paragraph) {
            ++paragraphs;
            characters += Utf16Length(paragraph) + 1;
            bool ends = false;
            ForEachParagraphLine(paragraph, [&](std::string_view line) { ends = counter.Take(line.empty()); });
            if (!ends || counter.Entries() < moved || asked.size() == kPlacesAsked)
                return false;
            asked.push_back({paragraphs, characters});
            return true;
        },
        0);
    if (!layout || layout->resumePoints.empty())
        return std::nullopt;
    const RtfResumePoint& cut = layout->resumePoints.front();
    const auto place =
        std::find_if(asked.begin(), asked.end(), [&](const Place& p) { return p.paragraphs == cut.paragraphs; });
    if (place == asked.end())
        return std::nullopt;
    return LogSurplus{rtf.substr(0, layout->bodyStart), rtf.substr(layout->bodyStart, cut.offset - layout->bodyStart),
                      cut, place->boxCharacters};
}

void TNewsLog::DropSurplus(const LogSurplus& surplus)
{
    // The kept entries after the head, made at their size at once: no copies of them are
    // left behind in the heap.
    const std::string_view rtf = rtf_.Text();
    std::string kept;
    kept.reserve(surplus.head.size() + surplus.keptFrom.formatting.size() + rtf.size() - surplus.keptFrom.offset);
    kept.append(surplus.head).append(surplus.keptFrom.formatting).append(rtf.substr(surplus.keptFrom.offset));
    if (!filled_) {
        const bool previewShown = preview_.Visible();
        Load(std::move(kept));
        Read();
        if (previewShown)
            PrepareShow();
        return;
    }
    // The box, read whole already, loses its first lines rather than being read again.
    box_.RemoveStart(int(surplus.boxCharacters));
    Take(std::move(kept));
    Read();
    Finish();
}
