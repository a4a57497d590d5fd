// Hostile or broken texts: deep nesting, huge numbers, tables without their parts, and
// drawings whose style differs from the measurement.
#include "render_fixture.h"

namespace dbx::testing {
namespace {

using RendererRobustness = RenderFixture;

TEST_F(RendererRobustness, DeeplyNestedTablesAreLaidOutWithoutDeepRecursion) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "<table><tr><td>";
    text += "deep";
    for (int i = 0; i < 5000; ++i) text += "</td></tr></table>";
    const QSize size = Measure(text);
    EXPECT_GE(size.width(), Width("deep") + 1);
    const QImage image = Draw(size);
    EXPECT_TRUE(Any(image, 0, 0, size.width(), size.height()));
    // Unclosed tables end with the text.
    EXPECT_EQ(Measure("<table><tr><td>x").width(), Width("x") + 4 + 1);
}

TEST_F(RendererRobustness, HugeCountsAndSizesAreHeldToBounds) {
    const int h = LineHeight();
    EXPECT_EQ(Measure("a<br=99999999>b").height(), (1000 + 1) * h + 1);
    EXPECT_GT(Measure("<font size=100000>x</font>").height(), 1);
    const QSize wide = Measure(
        "<table cellpadding=99999999 cellspacing=99999999><tr>"
        "<td colspan=99999999 rowspan=99999999 width=99999999>x</td>"
        "</tr></table>");
    EXPECT_GT(wide.width(), 0);
    EXPECT_LT(wide.width(), 1 << 29);
    EXPECT_EQ(Measure("<hr size=99999999>").height(), 16384 + 8 + 1);
}

TEST_F(RendererRobustness, TablesWithoutCellsTakeNoRoom) {
    EXPECT_EQ(Measure("<table></table>"), QSize(0, 0));
    EXPECT_EQ(Measure("<table border=5 cellspacing=9><tr></tr></table>"), QSize(0, 0));
    EXPECT_EQ(Measure("a<table></table>b").height(), 2 * LineHeight() + 1);
}

TEST_F(RendererRobustness, AHoverRuleThatChangesSizesDoesNotUpsetDrawing) {
    renderer.SetStyleSheet("a:hover {font-size: 60px} a:link {color: blue}");
    renderer.SetMaxWidth(80);
    const QSize size = Measure("one <a href=x>two three four</a> five six seven eight");
    Draw(size);
    ASSERT_FALSE(Areas().empty());
    const Rect first = Areas().front().rect;
    renderer.HitTest({first.left + 1, first.top + 1});
    const QImage image = Draw(size);
    EXPECT_TRUE(Any(image, 0, 0, size.width(), size.height()));
}

TEST_F(RendererRobustness, DrawingWithoutAMeasurementDrawsNothing) {
    EXPECT_FALSE(Any(Draw(30, 30), 0, 0, 30, 30));
    EXPECT_FALSE(renderer.HitTest({1, 1}));
}

}  // namespace
}  // namespace dbx::testing
