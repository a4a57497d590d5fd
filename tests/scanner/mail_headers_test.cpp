#include <gtest/gtest.h>

#include "mail_headers.h"

namespace dbx {
namespace {

TEST(MailHeaders, FieldsAreUnfoldedDecodedAndTakenOnce) {
    const MailHeaders h = ReadMailHeaders(
        "Received: from x\r\n\tby y\r\nFROM: \"Rui\" <rui@example.pt>\r\n"
        "Subject: =?iso-8859-1?Q?Reuni=E3o_de?=\r\n =?iso-8859-1?Q?_amanh=E3?= ok\r\n"
        "To: a@example.pt,\r\n\tb@example.pt\r\nSubject: second\r\n"
        "Date: Tue, 3 Feb 2004 14:05:09 +0100\r\n\r\nSubject: in the body\r\n");
    EXPECT_EQ(h.from, "\"Rui\" <rui@example.pt>");
    EXPECT_EQ(h.subject, "Reuni\xC3\xA3o de amanh\xC3\xA3 ok");
    EXPECT_EQ(h.to, "a@example.pt, b@example.pt");
    ASSERT_TRUE(h.dateSeconds);
    EXPECT_EQ(*h.dateSeconds, 1075813509);  // 13:05:09 UTC
}

TEST(MailHeaders, EncodedWordsInTheirCharsets) {
    EXPECT_EQ(DecodeEncodedWords("=?windows-1251?B?z/Do4uXy?="),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"
              "\xD0\xB5\xD1\x82");
    EXPECT_EQ(DecodeEncodedWords("=?UTF-8?q?caf=C3=A9?= =?utf-8?Q?_bar?="), "caf\xC3\xA9 bar");
    // Not encoded words: kept as written; stray Latin-1 bytes become UTF-8.
    EXPECT_EQ(DecodeEncodedWords("=?x?z?abc?= a=?b"), "=?x?z?abc?= a=?b");
    EXPECT_EQ(DecodeEncodedWords("Jo\xE3o"), "Jo\xC3\xA3o");
    EXPECT_EQ(DecodeEncodedWords("=?unknown-charset?Q?ok?="), "ok");
}

TEST(MailHeaders, DatesInTheFormsMailUses) {
    EXPECT_EQ(ParseMailDate("1 Jan 2010 00:00:00 +0000"), 1262304000);
    EXPECT_EQ(ParseMailDate("Fri, 1 Jan 10 01:00 GMT"), 1262307600);
    EXPECT_EQ(ParseMailDate("Thu, 31 Dec 2009 20:00:00 EST"), 1262307600);
    EXPECT_EQ(ParseMailDate("Thu, 31 Dec 2009 19:00:00 -0600 (CST)"), 1262307600);
    EXPECT_FALSE(ParseMailDate("yesterday"));
    EXPECT_FALSE(ParseMailDate("32 Jan 2010 00:00"));
    EXPECT_FALSE(ParseMailDate("1 Foo 2010 00:00"));
    EXPECT_FALSE(ParseMailDate("1 Jan 2010 25:00"));
}

TEST(MailHeaders, HeaderStartsAndBounds) {
    EXPECT_TRUE(StartsWithHeaderField("Return-Path: <a@b.c>\r\n"));
    EXPECT_FALSE(StartsWithHeaderField("ived from x: y\r\n"));
    EXPECT_FALSE(StartsWithHeaderField("just text, then: colon"));
    EXPECT_FALSE(StartsWithHeaderField(""));
    // A field folded over and over stays bounded.
    std::string huge = "Subject: a";
    for (int i = 0; i < 100000; ++i) huge += "\r\n b";
    EXPECT_LE(ReadMailHeaders(huge).subject.size(), 4096u);
}

}  // namespace
}  // namespace dbx

namespace dbx {
namespace {

TEST(MailHeaderShape, FieldsAndFoldsUpToTheEmptyLineMakeAHeader) {
    EXPECT_TRUE(StartsWithMailHeader("From: a@b.pt\r\nSubject: x\r\n\tfolded\r\n\r\n\0\1", false));
    EXPECT_TRUE(StartsWithMailHeader("From: a@b.pt\nTo: c@d.pt", true));
    // A text cut short may end inside a line; a whole one may not.
    EXPECT_TRUE(StartsWithMailHeader("From: a@b.pt\nTo: c@d.pt\nX-Cut", false));
    EXPECT_FALSE(StartsWithMailHeader("From: a@b.pt\nTo: c@d.pt\nX-Cut", true));
    EXPECT_FALSE(StartsWithMailHeader(std::string_view("From: a\0b\n\n", 11), true));
    EXPECT_FALSE(StartsWithMailHeader("From: a@b.pt\nnot a field\n\n", true));
    EXPECT_FALSE(StartsWithMailHeader("body text\n\n", true));
    EXPECT_FALSE(StartsWithMailHeader("", true));
}

}  // namespace
}  // namespace dbx
