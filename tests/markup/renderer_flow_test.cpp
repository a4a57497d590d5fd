// Measuring and drawing flow text: sizes, wrapping, alignment, tabs, breaks and rules.
#include "render_fixture.h"

namespace dbx::testing {
namespace {

using RendererFlow = RenderFixture;

TEST_F(RendererFlow, EmptyTextsMeasureZeroAndDrawNothing) {
    EXPECT_EQ(Measure(""), QSize(0, 0));
    EXPECT_EQ(Measure("<b></b><unknown>"), QSize(0, 0));
    EXPECT_TRUE(renderer.Text().empty());
    EXPECT_FALSE(Any(Draw(20, 20), 0, 0, 20, 20));
}

TEST_F(RendererFlow, OneCharacterIsItsExtentPlusOne) {
    QImage scratch(1, 1, QImage::Format_ARGB32);
    DeviceContext dc(&scratch);
    FontDesc body;  // the built-in "body" rule: Verdana, 10 points
    body.height = 10 * dc.PixelsPerInchY() / 72;
    body.face = "Verdana";
    dc.SelectFont(body);
    EXPECT_EQ(renderer.Measure(dc, "W"), dc.TextExtent("W") + QSize(1, 1));
    // The context gets its font back.
    EXPECT_EQ(dc.SelectedFont(), body);
}

TEST_F(RendererFlow, WithoutAMaximumWidthLinesBreakOnlyWhereTold) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += i == 0 ? "word" : " word";
    EXPECT_EQ(Measure(text), QSize(Width(text) + 1, LineHeight() + 1));
    const int h = LineHeight();
    EXPECT_EQ(Measure("a<br=3>b").height(), 4 * h + 1);
    EXPECT_EQ(Measure("a<br 3>b").height(), 2 * h + 1);
    EXPECT_EQ(Measure("a\n\nb").height(), 3 * h + 1);
    EXPECT_EQ(Measure("a<br>").height(), h + 1);
}

TEST_F(RendererFlow, WrapsAfterASpaceAndHoldsTheWidthToTheMaximum) {
    const int two = Width("aaa bbb");
    renderer.SetMaxWidth(two + 2);
    EXPECT_EQ(Measure("aaa bbb ccc"), QSize(two + 1, 2 * LineHeight() + 1));
    // Rules do not wrap; the measured width is still held to the maximum.
    renderer.SetMaxWidth(100);
    EXPECT_EQ(Measure("<hr width=500>").width(), 101);
}

TEST_F(RendererFlow, ALongWordBreaksInsideAndAHyphenEndsTheFirstLine) {
    const std::string word = "abcdefghijklmnopqrstuvwxyz";
    const int room = Width("abcdefg") + 1;
    std::size_t fits = 1;
    while (fits < word.size() && Width(word.substr(0, fits + 1)) <= room) ++fits;
    renderer.SetMaxWidth(room);
    Draw(Measure("<a href=x>" + word + "</a>"));
    ASSERT_GE(Areas().size(), 2u);
    EXPECT_EQ(Areas()[0].rect.Width(), Width(word.substr(0, fits)));
    EXPECT_EQ(Areas()[1].rect.left, 0);
    EXPECT_GT(Areas()[1].rect.top, Areas()[0].rect.top);

    renderer.SetMaxWidth(Width("well-") + 2);
    Draw(Measure("<a href=x>well-lit</a>"));
    ASSERT_EQ(Areas().size(), 2u);
    EXPECT_EQ(Areas()[0].rect.Width(), Width("well-"));
    EXPECT_EQ(Areas()[1].rect.Width(), Width("lit"));
    EXPECT_EQ(Areas()[1].rect.top, Areas()[0].rect.top + LineHeight());
}

TEST_F(RendererFlow, DrawingIntoAWiderAreaCutsTheLinesAsMeasuringDid) {
    renderer.SetMaxWidth(Width("aaa bbb") + 2);
    const QSize size = Measure("<a href=x>aaa bbb ccc ddd</a>");
    Draw(400, size.height());
    ASSERT_EQ(Areas().size(), 2u);
    EXPECT_EQ(Areas()[0].rect.Width(), Width("aaa bbb"));
    EXPECT_EQ(Areas()[1].rect.Width(), Width("ccc ddd"));
}

TEST_F(RendererFlow, CentredAndRightAlignedLines) {
    Draw(Measure("<center><a href=x>ab</a><br><a href=x>abcdef</a></center>").width() + 100, 40);
    ASSERT_EQ(Areas().size(), 2u);
    const int width = Width("abcdef") + 101;
    EXPECT_EQ(Areas()[0].rect.left, (width - Width("ab")) / 2);
    EXPECT_EQ(Areas()[1].rect.left, (width - Width("abcdef")) / 2);
    Measure("<right><a href=x>ab</a></right>");
    Draw(200, 20);
    ASSERT_EQ(Areas().size(), 1u);
    EXPECT_EQ(Areas()[0].rect.right, 200);
}

TEST_F(RendererFlow, JustifiedLinesThatWrapEndAtTheRightEdge) {
    const std::string text = "<justify><a href=x>aa bb cc dd ee ff gg hh ii jj</a></justify>";
    const int width = Width("aa bb cc dd") + 5;
    renderer.SetMaxWidth(width);
    Draw(width, Measure(text).height());
    ASSERT_GE(Areas().size(), 3u);
    EXPECT_EQ(Areas()[0].rect.left, 0);
    EXPECT_EQ(Areas()[0].rect.right, width);
    EXPECT_EQ(Areas()[1].rect.right, width);
    EXPECT_LT(Areas().back().rect.right, width);  // the last line keeps its width
}

TEST_F(RendererFlow, TabsStepToTheStopsOfTheTabWidth) {
    Draw(Measure("<t><t><a href=x>X</a>"));
    ASSERT_EQ(Areas().size(), 1u);
    EXPECT_EQ(Areas()[0].rect.left, 64);
    Draw(Measure("ab\t<a href=x>X</a>"));
    EXPECT_EQ(Areas()[0].rect.left, 32);
    EXPECT_EQ(Measure("a<t=3>b").width(), 96 + Width("b") + 1);
    // A tab width of 0 is taken as 1 pixel, not divided by.
    renderer.SetTabWidth(0);
    EXPECT_EQ(Measure("a<t>b").width(), Width("a") + 1 + Width("b") + 1);
}

TEST_F(RendererFlow, RulesSpanTheirShareOfTheArea) {
    EXPECT_EQ(Measure("<hr>"), QSize(2, 10));
    QImage image = Draw(100, 9);
    EXPECT_EQ(At(image, 0, 4), 0u);
    EXPECT_EQ(At(image, 99, 4), 0u);
    EXPECT_FALSE(Any(image, 0, 0, 100, 4));
    EXPECT_FALSE(Any(image, 0, 5, 100, 9));

    EXPECT_EQ(Measure("<hr width=50% size=3 color=#ff0000>"), QSize(2, 12));
    image = Draw(100, 11);
    EXPECT_EQ(At(image, 49, 5), 0x0000FFu);
    EXPECT_FALSE(Any(image, 50, 0, 100, 11));
    EXPECT_EQ(Measure("<hr width=40>"), QSize(41, 10));
}

TEST_F(RendererFlow, ColoursOverlinesAndOpaqueBackgrounds) {
    QImage image = Draw(Measure("<font size=7 color=#ff0000><b>H</b></font>"));
    EXPECT_TRUE(Any(image, 0, 0, image.width(), image.height(), 0x0000FFu));
    EXPECT_FALSE(Any(image, 0, 0, image.width(), image.height(), 0u));

    renderer.SetColorMode(false);
    renderer.SetFixedColor(0x00FF00);
    image = Draw(Measure("<font size=7 color=#ff0000><b>H</b></font>"));
    EXPECT_TRUE(Any(image, 0, 0, image.width(), image.height(), 0x00FF00u));
    EXPECT_FALSE(Any(image, 0, 0, image.width(), image.height(), 0x0000FFu));
    renderer.SetColorMode(true);

    const QSize size = Measure("<font style=o>MM</font>");
    image = Draw(size);
    for (int x = 0; x < size.width() - 1; ++x) EXPECT_EQ(At(image, x, 0), 0u) << x;
    image = Draw(Measure("<font bkgnd=yellow>ab</font>"));
    EXPECT_EQ(At(image, 0, 0), 0x00FFFFu);
}

}  // namespace
}  // namespace dbx::testing
