// Numbers and lengths.
#include <gtest/gtest.h>

#include <limits>

#include "markup_numbers.h"

namespace dbx::markup {
namespace {

constexpr FontMeasures kMeasures{9, 19, 96};

int Length(std::string_view value, int fallback = 16, bool fontSize = false) {
    return ParseLength(value, fallback, fontSize, kMeasures);
}

TEST(Lengths, FontSizesFromTheExamples) {
    EXPECT_EQ(Length("3", 16, true), 12);
    EXPECT_EQ(Length("+3", 16, true), 12);
    EXPECT_EQ(Length("12", 16, true), 12);
    EXPECT_EQ(Length("10pt", 16, true), 13);
    EXPECT_EQ(Length("150%", 16, true), 24);
}

TEST(Lengths, ClassicFontSizesOnlyWithTheFontSizeFlag) {
    const int expected[] = {8, 10, 12, 14, 18, 24, 36};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(Length(std::to_string(i), 16, true), expected[i - 1]);
        EXPECT_EQ(Length(std::to_string(i), 16, false), i);
    }
    EXPECT_EQ(Length("0", 16, true), 0);
    EXPECT_EQ(Length("8", 16, true), 8);
    EXPECT_EQ(Length("3px", 16, true), 3);
}

TEST(Lengths, EveryUnit) {
    EXPECT_EQ(Length("7px"), 7);
    EXPECT_EQ(Length("2ex"), 18);
    EXPECT_EQ(Length("2em"), 38);
    EXPECT_EQ(Length("2in"), 192);
    EXPECT_EQ(Length("1cm"), 37);   // 37.79 truncated
    EXPECT_EQ(Length("25mm"), 94);  // 94.48 truncated
    EXPECT_EQ(Length("9pt"), 12);
    EXPECT_EQ(Length("1pc"), 16);
    EXPECT_EQ(ParseLength("72pt", 0, false, {0, 0, 120}), 120);
}

TEST(Lengths, SignsAreIgnored) {
    EXPECT_EQ(Length("-5px"), 5);
    EXPECT_EQ(Length("-5"), 5);
    EXPECT_EQ(Length("-50%", 20), 10);
}

TEST(Lengths, PercentagesRoundLikeMulDiv) {
    EXPECT_EQ(Length("65%", 16), 10);  // 10.4
    EXPECT_EQ(Length("75%", 13), 10);  // 9.75
    EXPECT_EQ(Length("50%", 5), 3);    // 2.5 rounds away from zero
    EXPECT_EQ(Length("%", 16), 0);
}

TEST(Lengths, EmptyKeepsTheDefaultAndJunkReadsAsZero) {
    EXPECT_EQ(Length("", 42), 42);
    EXPECT_EQ(Length("abc", 42), 0);
    EXPECT_EQ(Length("+", 42), 0);
    EXPECT_EQ(Length("xxpt", 42), 0);
}

TEST(Lengths, PlainNumbersDetectTheirBase) {
    EXPECT_EQ(Length("0x10"), 16);
    EXPECT_EQ(Length("010"), 8);
    EXPECT_EQ(Length("09"), 0);  // octal stops at the 9
    EXPECT_EQ(Length("12abc"), 12);
}

TEST(Lengths, HugeNumbersSaturateInsteadOfOverflowing) {
    const int max = std::numeric_limits<int>::max();
    EXPECT_EQ(Length("99999999999999999999"), max);
    EXPECT_EQ(Length("99999999999in"), max);
    EXPECT_EQ(Length("99999999999em"), max);
    EXPECT_EQ(Length("99999999999pt"), max);
    EXPECT_EQ(Length("1000000000%", 1000000000), max);
}

TEST(Numbers, AutoIntegerReadsLikeTheCLibrary) {
    EXPECT_EQ(ReadAutoInteger("  -0x1F"), -31);
    EXPECT_EQ(ReadAutoInteger("0X1f"), 31);
    EXPECT_EQ(ReadAutoInteger("0x"), 0);
    EXPECT_EQ(ReadAutoInteger("0xg"), 0);
    EXPECT_EQ(ReadAutoInteger("0777"), 511);
    EXPECT_EQ(ReadAutoInteger("+12 34"), 12);
    EXPECT_EQ(ReadAutoInteger(""), 0);
    EXPECT_EQ(ReadAutoInteger("-99999999999"), std::numeric_limits<int>::min());
}

TEST(Numbers, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(16, 150, 100), 24);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, -1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

}  // namespace
}  // namespace dbx::markup
