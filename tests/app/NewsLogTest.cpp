#include <gtest/gtest.h>

#include "Application.h"
#include "Forms.h"
#include "NewsLog.h"

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
    EXPECT_TRUE(log.HoldsLine("6.12.2026 14:35"));
    EXPECT_TRUE(log.HoldsLine("Žluťoučký kůň"));
    EXPECT_FALSE(log.HoldsLine("6.12.2026 14:3"));
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
    for (int i = 0; i < box->LineCount(); ++i)
        EXPECT_TRUE(second.HoldsLine(box->Line(i))) << i;
    EXPECT_TRUE(second.HoldsLine("B"));
    EXPECT_FALSE(second.HoldsLine("C"));
}

TEST_F(NewsLogTest, TextWithLineBreaksIsKnownLineByLine)
{
    TNewsLog log(*box, *preview);
    log.AppendEntry("T", "first\nsecond");
    EXPECT_TRUE(log.HoldsLine("second"));
    EXPECT_FALSE(log.HoldsLine("first\nsecond"));
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
    // Plain text without a last line break, and rich text of another writer with fonts,
    // colours and paragraph formats of its own, the last paragraph centred in italics.
    for (const std::string& file : {std::string("starý záznam\r\ndruhý řádek"),
                                   std::string("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}{\\f1\\fswiss\\fcharset238 "
                                               "Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1"
                                               "\\pard\\f0\\fs20 prvn\\'ed\\par\\pard\\qc\\cf1\\i\\f1 st\\'f8ed\\par\r\n}"),
                                   std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\pard\\b konec bez zlomu}")}) {
        TNewsLog log(*box, *preview);
        log.Load(file);
        log.AppendEntry("8.12.2026 9:00", "první");
        ExpectSavedAsTheBoxWrites(log);
        log.AppendEntry("8.12.2026 9:05", "druhá");
        ExpectSavedAsTheBoxWrites(log);
        EXPECT_TRUE(log.HoldsLine("druhá"));
    }
}

TEST_F(NewsLogTest, UnreadableFileLeavesTheLogEmpty)
{
    TNewsLog log(*box, *preview);
    log.AppendEntry("A", "one");
    EXPECT_ANY_THROW(log.Load("{\\rtf1\\ansi {\\fonttbl"));
    EXPECT_EQ(box->Text(), "");
}
