// Cutting of text runs that do not fit, with every character 10 pixels wide.
#include <gtest/gtest.h>

#include <string>

#include "word_wrap.h"

namespace dbx::markup {
namespace {

int TenEach(std::string_view text) {
    return int(text.size()) * 10;
}

struct Cut {
    std::string piece;
    std::string rest;
};

Cut CutAt(std::string_view run, int room, bool atLineStart) {
    const WrapCut c = CutRun(run, room, atLineStart, TenEach);
    return {std::string(run.substr(0, c.pieceEnd)), std::string(run.substr(c.restStart))};
}

TEST(WordWrap, CutsAfterTheLastBreakThatFits) {
    const Cut c = CutAt("aaa bbb ccc", 75, true);
    EXPECT_EQ(c.piece, "aaa bbb");
    EXPECT_EQ(c.rest, "ccc");
    // Spaces around the cut are dropped on both sides.
    const Cut spaced = CutAt("aa   bb cc", 75, false);
    EXPECT_EQ(spaced.piece, "aa   bb");
    EXPECT_EQ(spaced.rest, "cc");
    const Cut trailing = CutAt("aa   bbbbbb", 50, false);
    EXPECT_EQ(trailing.piece, "aa");
    EXPECT_EQ(trailing.rest, "bbbbbb");
}

TEST(WordWrap, PunctuationStaysAtTheEndOfTheLine) {
    EXPECT_EQ(CutAt("well-known", 50, true).piece, "well-");
    EXPECT_EQ(CutAt("well-known", 50, true).rest, "known");
    // The break character itself must fit.
    EXPECT_EQ(CutAt("well-known", 45, false).piece, "");
    EXPECT_EQ(CutAt("end. Next", 60, true).piece, "end.");
    EXPECT_EQ(CutAt("end. Next", 60, true).rest, "Next");
    for (char c : std::string("-.,!:;)}]?")) {
        const std::string run = std::string("ab") + c + "cdefgh";
        EXPECT_EQ(CutAt(run, 35, false).piece, run.substr(0, 3)) << c;
    }
}

TEST(WordWrap, LongWordsBreakInsideOnlyAtTheStartOfALine) {
    const Cut start = CutAt("abcdefghij", 45, true);
    EXPECT_EQ(start.piece, "abcd");
    EXPECT_EQ(start.rest, "efghij");
    const Cut later = CutAt("abcdefghij", 45, false);
    EXPECT_EQ(later.piece, "");
    EXPECT_EQ(later.rest, "abcdefghij");
    // At least one character, even when none fits.
    EXPECT_EQ(CutAt("abc", 3, true).piece, "a");
}

TEST(WordWrap, ALeadingSpaceMovesTheRunWithoutAnEmptyLine) {
    // After other items the space lets the word go to the next line on its own.
    const Cut later = CutAt(" word", 20, false);
    EXPECT_EQ(later.piece, "");
    EXPECT_EQ(later.rest, "word");
    // At the start of a line an empty piece would make an empty line: the word is cut instead.
    const Cut start = CutAt(" word", 15, true);
    EXPECT_EQ(start.piece, " ");
    EXPECT_EQ(start.rest, "word");
}

}  // namespace
}  // namespace dbx::markup
