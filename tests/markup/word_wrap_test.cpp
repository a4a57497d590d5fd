// Cutting of text runs that do not fit, with every character 10 pixels wide.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Wraps a whole run line by line as the flow layout does, every line starting at its left edge.
std::vector<std::string> WrapAll(std::string_view run, int room, const TextWidth& width) {
    std::vector<std::string> lines;
    while (!run.empty()) {
        const LineCut line = NextLine(run, room, true, width);
        if (line.whole) {
            lines.emplace_back(run);
            break;
        }
        lines.emplace_back(run.substr(0, line.cut.pieceEnd));
        run = run.substr(line.cut.restStart);
    }
    return lines;
}

// Words of 1 to 12 letters, with now and then a run of spaces or a break character.
std::string Words(std::size_t size, std::uint32_t seed) {
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        const unsigned letters = 1 + (seed >> 16) % 12;
        text.append(letters, char('a' + (seed >> 8) % 26));
        text += (seed >> 20) % 9 == 0 ? "  - " : (seed >> 20) % 7 == 0 ? "," : " ";
    }
    return text.substr(0, size);
}

TEST(WordWrap, NextLineCutsAsTheWholeRunWould) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const std::string run = Words(1 + seed * 7 % 300, seed);
        for (int room : {0, 5, 35, 120, 400, 5000}) {
            for (bool atLineStart : {true, false}) {
                const LineCut line = NextLine(run, room, atLineStart, TenEach);
                const bool fits = TenEach(run) <= room;
                ASSERT_EQ(line.whole, fits) << run << " @" << room;
                if (fits) continue;
                const WrapCut whole = CutRun(run, room, atLineStart, TenEach);
                EXPECT_EQ(line.cut.pieceEnd, whole.pieceEnd) << run << " @" << room;
                EXPECT_EQ(line.cut.restStart, whole.restStart) << run << " @" << room;
            }
        }
    }
}

TEST(WordWrap, WrappingCostsTimeLinearInTheText) {
    std::size_t measured = 0;
    const TextWidth counting = [&measured](std::string_view text) {
        measured += text.size();
        return TenEach(text);
    };
    const std::string words = Words(1 << 20, 7);
    const std::vector<std::string> lines = WrapAll(words, 400, counting);
    EXPECT_GT(lines.size(), 20000u);
    for (const std::string& line : lines) EXPECT_LE(TenEach(line), 400);
    EXPECT_LT(measured, 16 * words.size());

    // One endless word, cut every three letters.
    measured = 0;
    const std::string word(1 << 20, 'w');
    EXPECT_EQ(WrapAll(word, 30, counting).size(), (word.size() + 2) / 3);
    EXPECT_LT(measured, 64 * word.size());

    // Nothing fits: a letter a line.
    measured = 0;
    EXPECT_EQ(WrapAll(std::string(1 << 16, 'x'), 0, counting).size(), std::size_t(1) << 16);
    EXPECT_LT(measured, 64u << 16);
}

}  // namespace
}  // namespace dbx::markup
