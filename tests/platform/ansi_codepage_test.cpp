#include "ansi_codepage.h"

#include <gtest/gtest.h>

namespace dbx {
namespace {

TEST(AnsiCodepage, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, char(b));
        EXPECT_EQ(QStringToAnsi(AnsiToQString(byte)), byte) << "byte " << b;
    }
}

TEST(AnsiCodepage, DecodesTheWindows1252Punctuation) {
    EXPECT_EQ(AnsiToQString("\x80").at(0).unicode(), 0x20AC);  // euro
    EXPECT_EQ(AnsiToQString("\x95").at(0).unicode(), 0x2022);  // bullet
    EXPECT_EQ(AnsiToQString("\x99").at(0).unicode(), 0x2122);  // trade mark
    EXPECT_EQ(AnsiToQString("\xA9").at(0).unicode(), 0x00A9);  // copyright
    EXPECT_EQ(AnsiToQString("a\xE9z"), QString::fromUtf8("a\xC3\xA9z"));
}

TEST(AnsiCodepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(QStringToAnsi(QString::fromUtf8("x\xE4\xB8\xAD y")), "x? y");
}

TEST(AnsiCodepage, CaseMappingCoversAccentedLettersOnly) {
    EXPECT_EQ(AnsiUpper("abc \xE0\xE9\xFF\x9A\x9C\x9E"), "ABC \xC0\xC9\x9F\x8A\x8C\x8E");
    EXPECT_EQ(AnsiLower("ABC \xC0\xC9\x9F\x8A\x8C\x8E"), "abc \xE0\xE9\xFF\x9A\x9C\x9E");
    // Multiplication and division signs, sharp s and micro sign have no partner here.
    for (char c : std::string("\xD7\xF7\xDF\xB5 1-_")) {
        EXPECT_EQ(AnsiToUpper(c), c);
        EXPECT_EQ(AnsiToLower(c), c);
    }
}

TEST(AnsiCodepage, UpperAndLowerCaseAreInverse) {
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        if (AnsiToUpper(c) != c) {
            EXPECT_EQ(AnsiToLower(AnsiToUpper(c)), c) << "byte " << b;
        }
        if (AnsiToLower(c) != c) {
            EXPECT_EQ(AnsiToUpper(AnsiToLower(c)), c) << "byte " << b;
        }
    }
}

}  // namespace
}  // namespace dbx
