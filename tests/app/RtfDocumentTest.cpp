#include <gtest/gtest.h>

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
