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
        box = new TRichEdit(form);
        box->SetBounds(0, 0, 300, 200);
        box->SetParent(form);
    }
    TApplication application;
    TForm* form;
    TRichEdit* box;
};

} // namespace

TEST_F(NewsLogTest, EntryIsThreeLinesAndItsLinesAreKnown)
{
    TNewsLog log(*box);
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
    TNewsLog first(*box);
    first.AppendEntry("A", "one");
    first.AppendEntry("B", "two");
    const std::string rtf = first.SaveToRtf();

    TNewsLog second(*box);
    second.Load(rtf);
    for (int i = 0; i < box->LineCount(); ++i)
        EXPECT_TRUE(second.HoldsLine(box->Line(i))) << i;
    EXPECT_TRUE(second.HoldsLine("B"));
    EXPECT_FALSE(second.HoldsLine("C"));
}

TEST_F(NewsLogTest, TextWithLineBreaksIsKnownLineByLine)
{
    TNewsLog log(*box);
    log.AppendEntry("T", "first\nsecond");
    EXPECT_TRUE(log.HoldsLine("second"));
    EXPECT_FALSE(log.HoldsLine("first\nsecond"));
}
