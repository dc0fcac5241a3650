#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "Application.h"
#include "FileIO.h"
#include "Forms.h"
#include "Graphics.h"
#include "NewsLog.h"
#include "NewsLogFile.h"
#include "Text.h"

namespace {

// A real rich-text box on a hidden form.
class NewsLogTest : public ::testing::Test {
protected:
    NewsLogTest()
    {
        form = new TForm(&application);
        box = NewBox();
        preview = NewBox();
        other = NewBox();
    }

    // The box's head and first formatting, as it writes them for the log's font.
    std::pair<std::string, std::string> BoxStart()
    {
        TNewsLog writer(*other, *preview);
        writer.AppendEntry("X", "Y");
        const std::string sample = writer.SaveToRtf();
        const size_t body = sample.find("\\pard");
        return {sample.substr(0, body), sample.substr(body, sample.find('X') - body)};
    }

    // With the main window's font, whose character set writes Czech text as it is.
    TRichEdit* NewBox()
    {
        auto* created = new TRichEdit(form);
        created->Font.Set("Tahoma", FontHeightForPoints(8), clWindowText, fsBold, EASTEUROPE_CHARSET);
        created->SetBounds(0, 0, 300, 200);
        created->SetParent(form);
        return created;
    }

    // What the log saves reads back, in another box, as the same text that this box,
    // once filled, writes as the same rich text.
    void ExpectSavedAsTheBoxWrites(TNewsLog& log)
    {
        while (log.FillStep()) {
        }
        other->LoadFromBytes(log.SaveToRtf());
        EXPECT_EQ(other->Text(), box->Text());
        EXPECT_EQ(other->SaveToRtf(), box->SaveToRtf());
    }

    TApplication application;
    TForm* form;
    TRichEdit* box;
    TRichEdit* preview;
    TRichEdit* other;
};

} // namespace

TEST_F(NewsLogTest, EntryIsThreeLinesAndItsLinesAreKnown)
{
    TNewsLog log(*box, *preview);
    log.AppendEntry("6.12.2026 14:35", "Žluťoučký kůň");
    EXPECT_EQ(box->Line(0), "6.12.2026 14:35");
    EXPECT_EQ(box->Line(1), "Žluťoučký kůň");
    EXPECT_EQ(box->Line(2), "");
    EXPECT_EQ(log.LastEntries(), (std::vector<LogEntry>{{"6.12.2026 14:35", "Žluťoučký kůň"}}));
    EXPECT_EQ(box->SelStart(), box->LineCount() - 1);
}

TEST_F(NewsLogTest, LoadedLogAnswersLikeItsBox)
{
    TNewsLog first(*box, *preview);
    first.AppendEntry("A", "one");
    first.AppendEntry("B", "two");
    const std::string rtf = first.SaveToRtf();

    TNewsLog second(*box, *preview);
    second.Load(rtf);
    while (second.FillStep()) {
    }
    EXPECT_EQ(second.LastEntries(), (std::vector<LogEntry>{{"A", "one"}, {"B", "two"}}));
}

TEST_F(NewsLogTest, TextSplitOverLinesByAnOlderVersionHidesNoLaterTitle)
{
    TNewsLog log(*box, *preview);
    log.Load("7.12.2026 10:04\r\nzačátek\r\n7.12.2026 10:05\r\n\r\n7.12.2026 10:06\r\n\r\n\r\n"
             "7.12.2026 10:07\r\n7.12.2026 10:08\r\n\r\n");
    // The split entry reads as one whose title is its text's first line; an entry with an
    // empty text and the last entry are read as they are.
    EXPECT_EQ(log.LastEntries(), (std::vector<LogEntry>{{"začátek", "7.12.2026 10:05"},
                                                        {"7.12.2026 10:06", ""},
                                                        {"7.12.2026 10:07", "7.12.2026 10:08"}}));
}

TEST_F(NewsLogTest, SavedLogIsWhatTheBoxWritesAfterEveryEntry)
{
    TNewsLog log(*box, *preview);
    log.AppendEntry("6.12.2026 14:35", "Žluťoučký kůň úpěl {ďábelské} ódy \\par");
    ExpectSavedAsTheBoxWrites(log);
    log.AppendEntry("6.12.2026 14:40", "druhá");
    ExpectSavedAsTheBoxWrites(log);

    TNewsLog loaded(*box, *preview);
    loaded.Load(log.SaveToRtf());
    for (int i = 0; i < 3; ++i) {
        loaded.AppendEntry("7.12.2026 8:0" + std::to_string(i), "Zpráva číslo " + std::to_string(i));
        ExpectSavedAsTheBoxWrites(loaded);
    }
}

TEST_F(NewsLogTest, SavedLogIsWhatTheBoxWritesAfterLoadingOtherFiles)
{
    // Plain text without a last line break, rich text of another writer with fonts, colours
    // and paragraph formats of its own, the last paragraph centred in italics, and no file.
    for (const std::string& file : {std::string("starý záznam\r\ndruhý řádek"),
                                   std::string("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}{\\f1\\fswiss\\fcharset238 "
                                               "Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1"
                                               "\\pard\\f0\\fs20 prvn\\'ed\\par\\pard\\qc\\cf1\\i\\f1 st\\'f8ed\\par\r\n}"),
                                   std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\pard\\b konec bez zlomu}"), std::string()}) {
        TNewsLog log(*box, *preview);
        log.Load(file);
        log.AppendEntry("8.12.2026 9:00", "první");
        // An empty log's box takes nothing until the log is shown.
        if (file.empty())
            EXPECT_EQ(box->Text(), "");
        ExpectSavedAsTheBoxWrites(log);
        log.AppendEntry("8.12.2026 9:05", "druhá");
        ExpectSavedAsTheBoxWrites(log);
        EXPECT_EQ(log.LastEntries().back(), (LogEntry{"8.12.2026 9:05", "druhá"}));
    }
}

// The character format of a line of the box (of its first run, as Wine's box answers for a
// longer selection).
CHARFORMAT2W LineFormat(TRichEdit& box, int line)
{
    const LRESULT start = SendMessageW(box.Handle(), EM_LINEINDEX, WPARAM(line), 0);
    const LRESULT length = SendMessageW(box.Handle(), EM_LINELENGTH, WPARAM(start), 0);
    SendMessageW(box.Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + length));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(box.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
    return format;
}

// Whether the character format of every line of the box that holds text passes.
bool EveryLine(TRichEdit& box, const std::function<bool(const CHARFORMAT2W&)>& passes)
{
    for (int line = 0; line < box.LineCount(); ++line)
        if (!box.Line(line).empty() && !passes(LineFormat(box, line)))
            return false;
    return true;
}

// Whether the whole text of the box takes the system's text colour.
bool TextInSystemColour(TRichEdit& box)
{
    return EveryLine(box, [](const CHARFORMAT2W& format) { return format.dwEffects & CFE_AUTOCOLOR; });
}

namespace {

// What shows of a line's characters: face, weight and slant, colour.
std::tuple<std::wstring, DWORD, COLORREF> Look(TRichEdit& box, int line)
{
    const CHARFORMAT2W format = LineFormat(box, line);
    return {format.szFaceName, format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_AUTOCOLOR), format.crTextColor};
}

// A log of so many entries as another writer puts it: another head, the same font.
std::string OtherWritersLog(int entries)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1029{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
                      "{\\colortbl ;\\red255\\green255\\blue255;}\r\n\\viewkind4\\uc1\\pard\\cf1\\b\\f0\\fs16 ";
    for (int i = 0; i < entries; ++i)
        rtf += "1.1.2026 " + std::to_string(i) + "\\par\r\nZpr\\'e1va " + std::to_string(i) + "\\par\r\n\\par\r\n";
    return rtf + "\\par\r\n}";
}

} // namespace

// Hidden, the log takes entries into its rich text whoever wrote the file, and keeps its box
// empty: the box, read whole, would keep about 20 KB of memory per entry under Wine. Saved,
// the file reads back as the old log with the entries in the box's own font after it; shown,
// the box holds the same.
TEST_F(NewsLogTest, HiddenLogTakesEntriesIntoAnyWritersFileWithoutItsBox)
{
    TNewsLog writer(*other, *preview);
    for (int i = 0; i < 3; ++i)
        writer.AppendEntry("1.1.2026 " + std::to_string(i), "Zpráva " + std::to_string(i));
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "1.1.2026 " + std::to_string(i) + "\r\nZpráva " + std::to_string(i) + "\r\n\r\n";
    const struct {
        const char* name;
        std::string file;
    } logs[] = {
        {"the box's own", writer.SaveToRtf()},
        {"another head, long enough to be filled in pieces", OtherWritersLog(150)},
        {"another font, no colours",
         "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}\\pard\\f0\\fs20 "
         "1.1.2026 0\\par\r\nZpr\\'e1va 0\\par\r\n\\par\r\n\\par\r\n}"},
        {"no paragraph reset", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset238 Arial;}}\\qc\\f0\\fs20 1.1.2026 0\\par "
                               "Zpr\\'e1va 0\\par\\par\\par}"},
        {"plain text", text},
    };
    // The entries' format: what the box gives text added to it when empty.
    TRichEdit* fresh = NewBox();
    fresh->AppendText("x");
    const auto entryLook = Look(*fresh, 0);

    for (const auto& log : logs) {
        SCOPED_TRACE(log.name);
        other->LoadFromBytes(log.file);
        const std::string before = other->Text();
        const auto oldLook = Look(*other, 0);

        // A box that never showed a log, as the program's while it is hidden.
        TRichEdit* logBox = NewBox();
        TNewsLog hidden(*logBox, *preview);
        hidden.Load(log.file);
        hidden.AppendEntry("9.12.2026 12:01", "první");
        hidden.AppendEntry("9.12.2026 12:02", "druhá");
        EXPECT_EQ(logBox->Text(), "");
        // The file's own entries read as entries, the two new ones after them.
        const std::vector<LogEntry> last = hidden.LastEntries();
        ASSERT_GE(last.size(), 3u);
        EXPECT_EQ(last[last.size() - 3].title.rfind("1.1.2026 ", 0), 0u);
        EXPECT_EQ(std::vector<LogEntry>(last.end() - 2, last.end()),
                  (std::vector<LogEntry>{{"9.12.2026 12:01", "první"}, {"9.12.2026 12:02", "druhá"}}));

        other->LoadFromBytes(hidden.SaveToRtf());
        EXPECT_EQ(logBox->Text(), "");
        EXPECT_EQ(other->Text(), before + "9.12.2026 12:01\rprvní\r\r9.12.2026 12:02\rdruhá\r\r");
        EXPECT_EQ(Look(*other, 0), oldLook);
        const int firstEntry = int(std::count(before.begin(), before.end(), '\r'));
        EXPECT_EQ(Look(*other, firstEntry), entryLook);
        EXPECT_EQ(Look(*other, firstEntry + 4), entryLook);

        while (hidden.FillStep()) {
        }
        EXPECT_EQ(logBox->Text(), other->Text());
    }
}

// Wine's high contrast reads always off: the test sets the program's idea of it, and the
// change message switches it back from the system.
TEST_F(NewsLogTest, LoggedTextFollowsTheContrastModeWhenItChanges)
{
    TNewsLog log(*box, *preview);
    log.AppendEntry("6.12.2026 14:35", "první");
    ASSERT_FALSE(TextInSystemColour(*box));
    SetHighContrastOn(true);
    // As the form passes the change on to its controls.
    static_cast<TWinControl*>(box)->SystemColoursChanged();
    EXPECT_TRUE(TextInSystemColour(*box));
    SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_FALSE(HighContrastOn());
    EXPECT_FALSE(TextInSystemColour(*box));
}

// A file cut off, or holding what the box is not given safely (groups nested deeper than
// 16, raw bytes, an object, a picture), leaves the log empty; one nested 16 deep is read.
TEST_F(NewsLogTest, UnreadableFileLeavesTheLogEmpty)
{
    const auto nested = [](int depth) {
        return "{\\rtf1\\ansi " + std::string(size_t(depth - 1), '{') + "B" + std::string(size_t(depth - 1), '}') +
               "\\par C\\par\\par}";
    };
    const struct {
        std::string file;
        bool read;
    } cases[] = {
        {"{\\rtf1\\ansi {\\fonttbl", false},
        {nested(16), true},
        {nested(17), false},
        {"{\\rtf1\\ansi B\\par {\\bin4 abcd}C\\par\\par}", false},
        {"{\\rtf1\\ansi B\\par {\\object\\objemb x}C\\par\\par}", false},
        {"{\\rtf1\\ansi B\\par {\\pict\\pngblip 89}C\\par\\par}", false},
        {"{\\rtf1\\ansi B\\par {\\*\\shppict x}C\\par\\par}", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TNewsLog log(*box, *preview);
        log.AppendEntry("A", "one");
        log.Load(c.file);
        EXPECT_EQ(log.Read(), c.read);
        EXPECT_EQ(log.LastEntries(), (c.read ? std::vector<LogEntry>{{"B", "C"}} : std::vector<LogEntry>{}));
        if (!c.read) {
            EXPECT_EQ(box->Text(), "");
            // Whoever read it first, the file stays known as damaged.
            EXPECT_FALSE(log.Read());
        }
    }
}

namespace {

// Documents of other writers: two code pages, Unicode escapes with their stand-ins, nested
// and hidden groups, and formatting that changes between paragraphs, long enough to be
// filled in several pieces.
std::string ForeignDocument(int paragraphs)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}"
                      "{\\f1\\fswiss\\fcharset204 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                      "{\\*\\generator Jiný 1.0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int i = 0; i < paragraphs; ++i) {
        switch (i % 5) {
        case 0: rtf += "\\b ř\\'e1dek " + std::to_string(i) + "\\b0\\par\r\n"; break;
        case 1: rtf += "{\\f1 \\'e8\\'e5}\\'e8 \\u8364?{\\*\\x skryt\\'e9}\\tab x" + std::to_string(i) + "\\par "; break;
        case 2: rtf += "\\pard\\qc\\cf1\\i st\\'f8ed " + std::to_string(i) + "\\par\r\n"; break;
        case 3: rtf += "\\plain\\pard\\f1\\fs24 \\'e8 " + std::to_string(i) + "\\par"; break;
        default: rtf += "\\plain\\f0 \\uc2\\u269\\'e8\\'e8 {\\i konec\\par z}\\'fa\\uc1 " + std::to_string(i) + "\\par\r\n";
        }
    }
    return rtf + "\\par\r\n}";
}

// Replaces the box's stream-out with a failing one while `fail` is set.
bool failStreamOut = false;
WNDPROC boxProcedure = nullptr;

LRESULT CALLBACK FailingStreamOut(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == EM_STREAMOUT && failStreamOut) {
        reinterpret_cast<EDITSTREAM*>(lParam)->dwError = 1;
        return 0;
    }
    return CallWindowProcW(boxProcedure, window, message, wParam, lParam);
}

} // namespace

TEST_F(NewsLogTest, LinesBeforeFillingAndTheFilledBoxAreThoseOfTheFileReadWhole)
{
    TNewsLog writer(*other, *preview);
    for (int i = 0; i < 250; ++i)
        writer.AppendEntry("1.2.2026 " + std::to_string(i), "Zpráva {č. " + std::to_string(i) + "} \\par ž");
    const std::string ownLog = writer.SaveToRtf();

    for (const std::string& file : {ownLog, ForeignDocument(700), std::string("{\\rtf1 A\\par B}"),
                                   std::string("{\\rtf1 A\\par B\\par\\par}"), std::string("{\\rtf1\\pard A\\par B\\par}")}) {
        SCOPED_TRACE(file.substr(0, 120));
        other->LoadFromBytes(file);
        TNewsLog log(*box, *preview);
        log.Load(file);
        // Every line the box shows two lines above an empty one is an entry's title, but for
        // the last text before the box's own closing line; the log keeps the last hundred.
        std::vector<LogEntry> entries;
        const int count = other->LineCount();
        for (int i = 0; i + 2 < count; ++i)
            if (other->Line(i + 2).empty() && !other->Line(i).empty() && (i + 3 < count || !other->Line(i + 1).empty()))
                entries.push_back({other->Line(i), other->Line(i + 1)});
        entries.erase(entries.begin(), entries.end() - std::min<ptrdiff_t>(ptrdiff_t(entries.size()), 100));
        EXPECT_EQ(log.LastEntries(), entries);
        while (log.FillStep()) {
        }
        EXPECT_TRUE(box->Visible());
        EXPECT_EQ(box->Text(), other->Text());
        EXPECT_EQ(box->SaveToRtf(), other->SaveToRtf());
        log.AppendEntry("9.2.2026 10:00", "nová");
        ExpectSavedAsTheBoxWrites(log);
    }
}

TEST_F(NewsLogTest, EntryWhileTheBoxIsFillingLandsAtTheEndOfBoxPreviewAndSavedLog)
{
    TNewsLog writer(*other, *preview);
    for (int i = 0; i < 400; ++i)
        writer.AppendEntry("3.2.2026 " + std::to_string(i), "text " + std::to_string(i));
    const std::string file = writer.SaveToRtf();

    TNewsLog log(*box, *preview);
    log.Load(file);
    ASSERT_TRUE(log.FillStep());
    EXPECT_FALSE(box->Visible());
    log.PrepareShow();
    ASSERT_TRUE(preview->Visible());
    EXPECT_EQ(preview->Line(0), "Starší zprávy se ještě načítají…");
    log.AppendEntry("4.2.2026 8:00", "během plnění");
    EXPECT_EQ(log.LastEntries().back(), (LogEntry{"4.2.2026 8:00", "během plnění"}));
    const std::string newest = "3.2.2026 399\rtext 399\r\r4.2.2026 8:00\rběhem plnění\r\r";
    EXPECT_TRUE(preview->Text().ends_with(newest));

    // Saved now, the entry follows every item of the file.
    other->LoadFromBytes(log.SaveToRtf());
    EXPECT_TRUE(other->Text().starts_with("3.2.2026 0\rtext 0\r\r3.2.2026 1\r"));
    EXPECT_TRUE(other->Text().ends_with(newest));
    EXPECT_EQ(other->LineCount(), 401 * 3 + 1);

    while (log.FillStep()) {
    }
    EXPECT_TRUE(box->Visible());
    EXPECT_FALSE(preview->Visible());
    EXPECT_EQ(box->Text(), other->Text());
    ExpectSavedAsTheBoxWrites(log);
}

TEST_F(NewsLogTest, FailedReadingOfTheBoxLeavesNothingStaleToSave)
{
    TNewsLog log(*box, *preview);
    log.Load("starý řádek bez zlomu");
    log.SaveToRtf();
    boxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FailingStreamOut)));
    failStreamOut = true;
    EXPECT_ANY_THROW(log.AppendEntry("A", "první"));
    failStreamOut = false;
    log.AppendEntry("B", "druhá");
    other->LoadFromBytes(log.SaveToRtf());
    EXPECT_EQ(other->Text(), "starý řádek bez zlomu\rA\rprvní\r\rB\rdruhá\r\r");
}

namespace {

std::string ArchiveTestTitle(int i) { return "1.1.2026 " + std::to_string(i); }
std::string ArchiveTestText(int i) { return "Zpráva " + std::to_string(i) + " ☃"; }

// A line as a writer of rich text puts it: ASCII as it is, the rest as Unicode escapes.
std::string RtfParagraph(const std::string& line)
{
    std::string rtf;
    for (wchar_t c : Widen(line))
        rtf += c < 128 ? std::string(1, char(c)) : "\\u" + std::to_string(int(c)) + "?";
    return rtf + "\\par\r\n";
}

// The lines of a document that ends with a paragraph mark, as the project's reader gives them; a
// closing empty paragraph of the box makes none. The reader must read on to the last brace: what
// follows a brace that closes the document sooner, no viewer shows.
std::vector<std::string> LinesOf(const std::string& rtf)
{
    std::vector<std::string> lines;
    const auto layout = ReadRtfText(
        rtf.substr(0, rtf.find_last_of('}')) + "{}END}",
        [](unsigned codePage, std::string_view bytes) { return CodePageToUtf8(codePage, bytes); },
        [&](std::string_view paragraph) {
            lines.emplace_back(paragraph);
            return false;
        },
        0);
    EXPECT_TRUE(layout) << "not a whole document";
    EXPECT_TRUE(layout && layout->lastParagraph == "END") << "the document ends before its last brace";
    return lines;
}

std::vector<std::string> EntryLines(int first, int end)
{
    std::vector<std::string> lines;
    for (int i = first; i < end; ++i)
        lines.insert(lines.end(), {ArchiveTestTitle(i), ArchiveTestText(i), ""});
    return lines;
}

// news.rtf as the box writes it from its start (head and first formatting), with the entries
// from first to end.
std::string LogFile(const std::string& start, int first, int end)
{
    std::string log = start;
    for (int i = first; i < end; ++i)
        log += RtfParagraph(ArchiveTestTitle(i)) + RtfParagraph(ArchiveTestText(i)) + "\\par\r\n";
    return log + "\\par\r\n}";
}

// An archive's paragraphs of the entries before end.
std::string ArchiveBody(int end)
{
    std::string body;
    for (const std::string& line : EntryLines(0, end))
        body += RtfParagraph(line);
    return body;
}

// The archive of those entries as the program writes it, after the log's head.
std::string OurArchive(const std::string& head, int end) { return head + "\n\\plain " + ArchiveBody(end) + "}"; }

// A folder of its own, emptied and removed at the end.
class TestFolder {
public:
    TestFolder()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = MakeFreshFolder(std::wstring(temp) + L"soriel-archive").value() + L"\\";
    }
    ~TestFolder()
    {
        for (const std::wstring& name : FileNamesMatching(path_ + L"*"))
            DeleteFileW((path_ + name).c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring File(const wchar_t* name) const { return path_ + name; }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

} // namespace

// Files are prepared as the program leaves them; the log is then started, entries are announced,
// and the files are read back.
TEST_F(NewsLogTest, OldestEntriesMoveToTheArchiveOnceInOrderAndNoneIsLost)
{
    enum class Archive { None, Ours, OtherTables };
    struct Row {
        const char* name;
        int archived; // entries in news-archive.rtf before
        Archive archive;
        int inLog; // entries in news.rtf at the start, after those
        int announced;
        bool shown; // the box filled before the announcements
        int kept;   // entries in news.rtf at the end
    };
    const Row rows[] = {
        {"below the bound", 0, Archive::None, 100, 1, false, 101},
        {"at the bound, the box shown", 0, Archive::None, 2200, 1, true, 2000},
        {"an archive that exists", 300, Archive::Ours, 2200, 1, false, 2000},
        {"an archive of other tables", 40, Archive::OtherTables, 2200, 2, false, 2001},
        {"a first start with a much longer log", 0, Archive::None, 10000, 0, false, 2000},
    };

    const auto [head, formatting] = BoxStart();

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestFolder folder;
        const int first = row.archived;
        const int total = first + row.inLog + row.announced;

        WriteFileAtomically(folder.File(L"news.rtf"), LogFile(head + formatting, first, first + row.inLog));
        const std::string otherTables =
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\f0 " + ArchiveBody(first) + "}";
        switch (row.archive) {
        case Archive::None: break;
        case Archive::Ours: WriteFileAtomically(folder.File(L"news-archive.rtf"), OurArchive(head, first)); break;
        case Archive::OtherTables: WriteFileAtomically(folder.File(L"news-archive.rtf"), otherTables); break;
        }

        TNewsLog started(*box, *preview);
        TNewsLogFile file(folder.File(L"news.rtf"), started);
        file.Load();
        file.Read();
        if (row.shown)
            while (started.FillStep()) {
            }
        for (int i = first + row.inLog; i < total; ++i)
            file.AppendEntries({{ArchiveTestTitle(i), ArchiveTestText(i)}});

        // news.rtf keeps the newest entries (and the box's closing line), the archive all
        // before them, each once.
        const int firstKept = total - row.kept;
        auto keptLines = EntryLines(firstKept, total);
        keptLines.push_back("");
        EXPECT_EQ(LinesOf(ReadWholeFile(folder.File(L"news.rtf")).value()), keptLines);
        const wchar_t* archiveName = row.archive == Archive::OtherTables ? L"news-archive-2.rtf" : L"news-archive.rtf";
        const auto archive = ReadWholeFile(folder.File(archiveName));
        ASSERT_EQ(archive.has_value(), firstKept > 0);
        if (row.archive == Archive::OtherTables) {
            EXPECT_EQ(ReadWholeFile(folder.File(L"news-archive.rtf")), otherTables);
            EXPECT_EQ(LinesOf(*archive), EntryLines(first, firstKept));
        } else if (archive) {
            EXPECT_EQ(LinesOf(*archive), EntryLines(0, firstKept));
        }
        if (archive)
            EXPECT_EQ(archive->find("\\cf1"), std::string::npos) << "the box's text colour, not the viewer's";
        EXPECT_FALSE(ReadWholeFile(folder.File(L"news-archive-3.rtf")));
        // The last entries are those news.rtf ends with.
        const std::vector<LogEntry> last = started.LastEntries();
        ASSERT_EQ(last.size(), std::min<size_t>(100, size_t(row.kept)));
        EXPECT_EQ(last.front(), (LogEntry{ArchiveTestTitle(total - int(last.size())), ArchiveTestText(total - int(last.size()))}));
        EXPECT_EQ(last.back(), (LogEntry{ArchiveTestTitle(total - 1), ArchiveTestText(total - 1)}));
        if (row.shown)
            ExpectSavedAsTheBoxWrites(started);
    }
}

namespace {

// The lines of the archives, oldest first, then those of news.rtf.
std::vector<std::string> SavedLines(const TestFolder& folder)
{
    std::vector<std::string> lines;
    for (int number = 1;; ++number) {
        const std::wstring suffix = number == 1 ? L"" : L"-" + std::to_wstring(number);
        const auto archive = ReadWholeFile(folder.File((L"news-archive" + suffix + L".rtf").c_str()));
        if (!archive)
            break;
        const auto archived = LinesOf(*archive);
        lines.insert(lines.end(), archived.begin(), archived.end());
    }
    const auto logged = LinesOf(ReadWholeFile(folder.File(L"news.rtf")).value_or(""));
    lines.insert(lines.end(), logged.begin(), logged.end());
    return lines;
}

} // namespace

// The program's own writes, from a start to the save after a poll, stopped after each one in
// turn as a kill would stop them: after the next start, every entry is in the archives or
// news.rtf once, in order, and each archive reads whole.
TEST_F(NewsLogTest, ArchiveMoveStoppedAfterAnyWriteLosesDoublesAndHidesNoEntry)
{
    const struct {
        const char* name;
        int archived; // entries in news-archive.rtf before
        int inLog;    // entries in news.rtf at the start, after those
        int polled;   // entries a poll brings after the start
    } runs[] = {
        {"at the bound, no archive yet", 0, 2200, 1},
        {"over the bound, as a failed move leaves it", 300, 2205, 1},
        {"far over the bound, no archive yet", 0, 2400, 1},
        {"a poll of 50 across the bound", 300, 2180, 50},
    };
    const auto [head, formatting] = BoxStart();
    for (const auto& run : runs) {
        // Until a run is not stopped.
        bool stopped = true;
        for (int allowed = 0; stopped; ++allowed) {
            SCOPED_TRACE(std::string(run.name) + ", stopped after write " + std::to_string(allowed));
            TestFolder folder;
            const int polledFrom = run.archived + run.inLog;
            WriteFileAtomically(folder.File(L"news.rtf"), LogFile(head + formatting, run.archived, polledFrom));
            if (run.archived > 0)
                WriteFileAtomically(folder.File(L"news-archive.rtf"), OurArchive(head, run.archived));

            int writes = 0;
            bool pollSaved = false;
            {
                TNewsLog log(*box, *preview);
                TNewsLogFile file(folder.File(L"news.rtf"), log, [&] { return writes++ < allowed; });
                file.Load();
                file.Read();
                // Stopped during the start, the program polls no more.
                const int beforePoll = writes;
                if (beforePoll <= allowed) {
                    for (int i = polledFrom; i < polledFrom + run.polled; ++i)
                        log.AppendEntry(ArchiveTestTitle(i), ArchiveTestText(i));
                    file.Save();
                }
                pollSaved = beforePoll < allowed;
            }
            stopped = writes > allowed;
            {
                TNewsLog log(*box, *preview);
                TNewsLogFile file(folder.File(L"news.rtf"), log);
                file.Load();
                file.Read();
            }

            auto expected = EntryLines(0, polledFrom + (pollSaved ? run.polled : 0));
            expected.push_back("");
            const auto lines = SavedLines(folder);
            const auto [line, expectedLine] =
                std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end());
            EXPECT_TRUE(line == lines.end() && expectedLine == expected.end())
                << "line " << (line - lines.begin()) << " of " << lines.size() << " (" << expected.size()
                << " expected): " << (line == lines.end() ? "none" : *line) << " for "
                << (expectedLine == expected.end() ? "none" : *expectedLine);
        }
    }
}

// news.rtf keeps the log's own look whatever the screen shows: entries logged in high contrast
// (to a hidden empty log, and to a long log read into the box meanwhile) in the box's own colour,
// and one logged after a move to a screen of another DPI in the design's size, which the box
// shows zoomed. Wine cannot switch high contrast on and sends no WM_DPICHANGED: the test sets
// the program's idea of the one and sends the other.
TEST_F(NewsLogTest, SavedLogKeepsItsOwnLookInHighContrastAndAfterADpiChange)
{
    // White, as the main window's log; read back in a box of another colour.
    box->Font.SetColor(clWhite);
    other->Font.SetColor(clWhite);
    TRichEdit* reader = NewBox();
    const auto [head, formatting] = BoxStart();
    const std::string longLog = LogFile(head + formatting, 0, 120);
    reader->LoadFromBytes(longLog);
    const CHARFORMAT2W own = LineFormat(*reader, 0);
    ASSERT_FALSE(own.dwEffects & CFE_AUTOCOLOR);
    ASSERT_EQ(own.crTextColor, RGB(255, 255, 255));
    const auto expectOwnLook = [&](const std::wstring& file) {
        reader->LoadFromBytes(ReadWholeFile(file).value());
        EXPECT_TRUE(EveryLine(*reader, [&](const CHARFORMAT2W& format) {
            return !(format.dwEffects & CFE_AUTOCOLOR) && format.crTextColor == own.crTextColor &&
                   format.yHeight == own.yHeight;
        })) << "the log's own colour and size throughout";
    };

    SetHighContrastOn(true);
    static_cast<TWinControl*>(box)->SystemColoursChanged();
    {
        TestFolder folder;
        TNewsLog log(*box, *preview);
        TNewsLogFile file(folder.File(L"news.rtf"), log);
        file.Load();
        file.AppendEntries({{"8.12.2026 9:00", "první"}});
        EXPECT_EQ(box->Text(), "") << "a hidden log's box takes nothing";
        expectOwnLook(folder.File(L"news.rtf"));
    }
    TestFolder folder;
    WriteFileAtomically(folder.File(L"news.rtf"), longLog);
    TNewsLog log(*box, *preview);
    TNewsLogFile file(folder.File(L"news.rtf"), log);
    file.Load();
    file.Read();
    while (log.FillStep()) {
    }
    EXPECT_TRUE(TextInSystemColour(*box)) << "read in a piece at a time, the log shows in the system's colour";
    file.AppendEntries({{"8.12.2026 9:05", "druhá"}});
    EXPECT_TRUE(TextInSystemColour(*box));
    expectOwnLook(folder.File(L"news.rtf"));

    // High contrast off, and the window moved to a screen of 144 dpi.
    SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    const LONG shown = LineFormat(*box, 0).yHeight;
    RECT suggested{0, 0, 700, 500};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&suggested));
    file.AppendEntries({{"8.12.2026 9:10", "třetí"}});
    EXPECT_TRUE(EveryLine(*box, [&](const CHARFORMAT2W& format) { return format.yHeight == shown; }))
        << "the box keeps the sizes of 96 dpi";
    int numerator = 0;
    int denominator = 0;
    SendMessageW(box->Handle(), EM_GETZOOM, WPARAM(&numerator), LPARAM(&denominator));
    EXPECT_EQ(numerator * 96, denominator * 144) << "shown zoomed to the DPI";
    expectOwnLook(folder.File(L"news.rtf"));
    EXPECT_TRUE(reader->Text().ends_with("\r8.12.2026 9:05\rdruhá\r\r8.12.2026 9:10\rtřetí\r\r"));
}
