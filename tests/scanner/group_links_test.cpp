#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "group_links.h"

namespace dbx {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Lines of `width` characters and a line end, as an encoded attachment is written, from the
// `first`th character of the text on.
std::string Lines(std::size_t width, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; text.size() < count; ++i) {
        const std::size_t column = i % (width + 2);
        text += column < width ? char('A' + i % 26) : column == width ? '\r' : '\n';
    }
    return text;
}

TEST(LinesRunOn, TheTextThatCarriesTheLinesOnFitsAndAnotherBreaks) {
    const std::string text = Lines(76, 0, 1400);
    const auto known = Bytes(text.substr(0, 700));
    EXPECT_EQ(LinesRunOn(known, Bytes(text.substr(700))), LineFit::Fits);
    // The same lines, but from another place: another attachment's text at this position.
    EXPECT_EQ(LinesRunOn(known, Bytes(text.substr(735))), LineFit::Breaks);
    // Lines of another length run on from here.
    EXPECT_EQ(LinesRunOn(known, Bytes(Lines(64, 0, 600))), LineFit::Breaks);
    // A line longer than the lines before it never ends.
    EXPECT_EQ(LinesRunOn(known, Bytes(std::string(300, 'x'))), LineFit::Breaks);
}

TEST(LinesRunOn, TextWithoutLinesOfOneLengthSaysNothing) {
    const auto after = Bytes(Lines(76, 0, 400));
    EXPECT_EQ(LinesRunOn(Bytes("Dear Anna,\r\nthanks for the photos.\r\nSee you soon\r\n"), after),
              LineFit::Unknown);
    // Two whole lines are not yet a rule.
    EXPECT_EQ(LinesRunOn(Bytes(Lines(76, 0, 3 * 78 - 10)), after), LineFit::Unknown);
    EXPECT_EQ(LinesRunOn(Bytes(std::string(512, '\0')), after), LineFit::Unknown);
    EXPECT_EQ(LinesRunOn({}, after), LineFit::Unknown);
}

TEST(LinesRunOn, NothingAfterIsNoBreak) {
    EXPECT_EQ(LinesRunOn(Bytes(Lines(76, 0, 600)), {}), LineFit::Fits);
}

}  // namespace
}  // namespace dbx
