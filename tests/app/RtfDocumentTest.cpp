#include <gtest/gtest.h>

#include <optional>

#include "RtfDocument.h"

namespace {

const std::string kHeader = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset238 Tahoma;}}\r\n{\\colortbl;\\red255\\green255\\blue255;}\r\n";

std::string Document(const std::string& body) { return kHeader + body + "}"; }

} // namespace

TEST(RtfDocument, AppendedParagraphsReplaceTheClosingEmptyParagraph)
{
    TRtfDocument document;
    ASSERT_TRUE(document.Assign(Document("\\pard\\b A\\par\r\n\\par\r\n")));
    ASSERT_TRUE(document.Append(Document("\\pard\\b B\\par\r\n\\par\r\n")));
    EXPECT_EQ(document.Text(), Document("\\pard\\b A\\par\r\n\\plain \\pard\\b B\\par\r\n\\par\r\n"));
    // The next one goes after the new last paragraph, not the first document's.
    ASSERT_TRUE(document.Append(Document("\\pard\\b C\\par\r\n\\par\r\n")));
    EXPECT_EQ(document.Text(), Document("\\pard\\b A\\par\r\n\\plain \\pard\\b B\\par\r\n\\plain \\pard\\b C\\par\r\n\\par\r\n"));
}

TEST(RtfDocument, WhatFollowsTheOuterGroupIsKeptOnlyFromTheAppendedDocument)
{
    TRtfDocument document;
    ASSERT_TRUE(document.Assign(kHeader + "\\pard A\\par\r\n\\par\r\n}" + std::string(1, '\0')));
    ASSERT_TRUE(document.Append(kHeader + "\\pard B\\par\r\n\\par\r\n}" + std::string(1, '\0')));
    EXPECT_EQ(document.Text(), kHeader + "\\pard A\\par\r\n\\plain \\pard B\\par\r\n\\par\r\n}" + std::string(1, '\0'));
}

TEST(RtfDocument, DifferentTablesAreNotJoined)
{
    TRtfDocument document;
    const std::string original = Document("\\pard A\\par\r\n\\par\r\n");
    ASSERT_TRUE(document.Assign(original));
    const std::string otherFonts = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Tahoma;}}\r\n{\\colortbl;\\red255\\green255\\blue255;}\r\n"
                                   "\\pard\\f1 B\\par\r\n\\par\r\n}";
    EXPECT_FALSE(document.Append(otherFonts));
    EXPECT_EQ(document.Text(), original);
    EXPECT_TRUE(document.Valid());
}

TEST(RtfDocument, TextThatLooksLikeControlWordsIsText)
{
    // An escaped backslash, braces and nested groups: only the outer group's words count.
    TRtfDocument document;
    ASSERT_TRUE(document.Assign(Document("\\pard A \\\\par \\{\\par\\} {\\i x\\par}\\par\r\n\\par\r\n")));
    ASSERT_TRUE(document.Append(Document("\\pard B \\\\pard \\'e8\\par\r\n\\par\r\n")));
    EXPECT_EQ(document.Text(), Document("\\pard A \\\\par \\{\\par\\} {\\i x\\par}\\par\r\n"
                                        "\\plain \\pard B \\\\pard \\'e8\\par\r\n\\par\r\n"));
}

TEST(RtfDocument, WhatCannotBeReadIsRefused)
{
    TRtfDocument document;
    for (const std::string& text : {std::string("plain text"), Document("no paragraphs"),
                                   std::string("{\\rtf1 \\pard A\\par"), Document("\\pard \\bin4 \\par}}}\\par")}) {
        EXPECT_FALSE(document.Assign(text)) << text;
        EXPECT_FALSE(document.Valid());
        EXPECT_FALSE(document.Append(Document("\\pard B\\par\r\n")));
    }
    ASSERT_TRUE(document.Assign(Document("\\pard A\\par\r\n")));
    EXPECT_FALSE(document.Append("{\\rtf1 \\pard B\\par"));
}

// What the box writes for an entry, joined to documents of other writers: the body's fonts and
// colours are found in their tables (or added), and the text after \plain takes the entry's font.
TEST(RtfDocument, DocumentsOfOtherTablesTakeTheBodyInTheirTerms)
{
    const std::string entry = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\fcharset238 Tahoma;}}\r\n"
                              "{\\colortbl;\\red255\\green255\\blue255;}\r\n{\\*\\generator Wine Riched20 2.0;}\r\n"
                              "\\pard\\b\\cf1\\f0 A\\par\r\n\\plain x\\par\r\n}";
    const struct {
        const char* name;
        std::string head;
        std::string joinedHead;
        std::string joinedBody;
    } cases[] = {
        {"the same fonts and colours, written otherwise",
         "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n{\\colortbl ;\\red255\\green255\\blue255;}\r\n\\viewkind4\\uc1 ",
         "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n{\\colortbl ;\\red255\\green255\\blue255;}\r\n\\viewkind4\\uc1 ",
         "\\plain\\uc1 \\pard\\b\\cf1\\f0 A\\par\r\n\\plain x\\par\r\n}"},
        {"at other numbers, another default font",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Tahoma;}}{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue255;}",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Tahoma;}}{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue255;}",
         "\\plain\\uc1\\f1 \\pard\\b\\cf2\\f1 A\\par\r\n\\plain\\f1 x\\par\r\n}"},
        {"the face in another character set",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Tahoma;}}{\\colortbl;\\red255\\green255\\blue255;}",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Tahoma;}{\\f1\\fcharset238 Tahoma;}}{\\colortbl;\\red255\\green255\\blue255;}",
         "\\plain\\uc1\\f1 \\pard\\b\\cf1\\f1 A\\par\r\n\\plain\\f1 x\\par\r\n}"},
        {"neither the font nor a colour table",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}{\\f1\\fcharset238 Tahoma;}}{\\colortbl;\\red255\\green255\\blue255;}",
         "\\plain\\uc1\\f1 \\pard\\b\\cf1\\f1 A\\par\r\n\\plain\\f1 x\\par\r\n}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRtfDocument document;
        ASSERT_TRUE(document.Assign(c.head + "\\pard\\f0 old\\par\r\n\\par\r\n}"));
        EXPECT_FALSE(document.Append(entry)) << "only where other tables may be joined";
        ASSERT_TRUE(document.AppendJoiningTables(entry));
        EXPECT_EQ(document.Text(), c.joinedHead + "\\pard\\f0 old\\par\r\n" + c.joinedBody);
        EXPECT_EQ(document.BodyStart(), c.joinedHead.size());
        // A second entry finds what the first one added.
        ASSERT_TRUE(document.AppendJoiningTables(entry));
        EXPECT_TRUE(document.Text().starts_with(c.joinedHead + "\\pard"));
        TRtfDocument reread;
        EXPECT_TRUE(reread.Assign(document.Text()));
    }

    // A style, a font it does not list (or whose entry is not whole), or bytes of a font
    // without a character set in another code page: not joined, nothing changed.
    const std::string head = "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Tahoma;}}";
    for (const std::string& refused :
         {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset238 Tahoma;}}\\pard\\s1\\f0 A\\par\r\n}",
          "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset238 Tahoma;}}\\pard\\f3 A\\par\r\n}",
          "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Ta{\\*\\x homa;}}}\\pard\\f0 A\\par\r\n}",
          "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Tahoma;}}\\pard\\f0 \\'e8\\par\r\n}"}) {
        TRtfDocument document;
        ASSERT_TRUE(document.Assign(head + "\\pard old\\par\r\n}"));
        EXPECT_FALSE(document.AppendJoiningTables(refused)) << refused;
        EXPECT_EQ(document.Text(), head + "\\pard old\\par\r\n}");
    }
}

// Text or formatting before the first paragraph reset (or none at all): the reset goes before
// them, after the tables; a document that starts with one needs none.
TEST(RtfDocument, MissingParagraphResetIsFoundBeforeTheFirstTextOrFormatting)
{
    const struct {
        std::string rtf;
        std::optional<size_t> reset;
    } cases[] = {
        {"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n{\\*\\generator x;}\\f0\\fs20 A\\par B\\par}", 58},
        {"{\\rtf1 A\\par B}", 7},
        {"{\\rtf1\\ansi {\\b A}\\par}", 12},
        {"{\\rtf1\\ansi\\'e8\\par}", 11},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\qc\\f0 A\\pard B\\par}", 33},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\viewkind4\\uc1\\pard A\\par}", std::nullopt},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}}", std::nullopt},
        {"plain text", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MissingParagraphReset(c.rtf), c.reset) << c.rtf;
}
