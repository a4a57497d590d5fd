// Tables: sizes from their cells, the sharing of extra width, placement, backgrounds, borders
// and the content areas of cells.
#include <QString>

#include "image_handles.h"
#include "render_fixture.h"

namespace dbx::testing {
namespace {

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;
constexpr ColorRef kGreen = 0x00FF00;

using RendererTable = RenderFixture;

std::string IconTable(unsigned handle, const std::string& text) {
    return "<table cellpadding=5><tr><td width=32><icon handle=0x" +
           QString::number(handle, 16).toUpper().toStdString() + "></td><td>" + text +
           "</td></tr></table>";
}

TEST_F(RendererTable, TheMessageBoxIconTableIsOnePlusBothColumns) {
    QImage sign(32, 32, QImage::Format_ARGB32);
    sign.fill(QColor(0, 0, 255));
    const ImageHandle icon(sign);
    const QSize size = Measure(IconTable(icon.Value(), "Hello world"));
    const int textColumn = Width("Hello world") + 2 * 5;
    EXPECT_EQ(size.width(), 1 + (32 + 2 * 5) + textColumn + 1);
    EXPECT_EQ(size.height(), std::max(32, LineHeight()) + 2 * 5 + 1);

    // Drawn wider, the fixed icon column keeps its width and the text cell takes the rest.
    const QImage image = Draw(size.width() + 60, size.height());
    EXPECT_EQ(At(image, 5, 5), kBlue);
    EXPECT_EQ(At(image, 36, 36), kBlue);
    EXPECT_FALSE(Any(image, 0, 0, 5, size.height()));
    EXPECT_FALSE(Any(image, 37, 0, 48, size.height()));

    // An icon wider than the request widens its column.
    QImage wide(48, 8, QImage::Format_ARGB32);
    wide.fill(QColor(0, 0, 255));
    const ImageHandle wideIcon(wide);
    EXPECT_EQ(Measure(IconTable(wideIcon.Value(), "Hello world")).width(),
              1 + (48 + 10) + textColumn + 1);
}

TEST_F(RendererTable, AColumnSpanWidensItsColumnsTheFirstTakingTheOddPixel) {
    const QSize size = Measure(
        "<table><tr><td width=10 bgcolor=#ff0000></td><td width=10 bgcolor=#0000ff></td></tr>"
        "<tr><td colspan=2 width=51 bgcolor=#00ff00></td></tr></table>");
    // Columns of 28 and 27 (55 = 51 and the padding, shared); 1 pixel between them.
    EXPECT_EQ(size, QSize(1 + 55 + 1, 1 + 4 + 4 + 1));
    const QImage image = Draw(300, size.height());  // every column fixed: nothing is widened
    EXPECT_EQ(At(image, 27, 1), kRed);
    EXPECT_EQ(At(image, 28, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 29, 1), kBlue);
    EXPECT_EQ(At(image, 55, 1), kBlue);
    EXPECT_EQ(At(image, 56, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 55, 6), kGreen);
    EXPECT_EQ(At(image, 56, 6), 0xFFFFFFu);
}

TEST_F(RendererTable, ExtraWidthGoesToTheFreeColumn) {
    Measure("<table><tr><td width=20 bgcolor=#ff0000></td><td bgcolor=#0000ff>b</td></tr></table>");
    const QImage image = Draw(300, 20);
    EXPECT_EQ(At(image, 23, 1), kRed);
    EXPECT_EQ(At(image, 24, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 25, 1), kBlue);
    EXPECT_EQ(At(image, 299, 1), kBlue);
    // Drawing again starts from the measured columns, not from the widened ones.
    EXPECT_EQ(Draw(300, 20), image);
}

TEST_F(RendererTable, TablesWithOnlyFixedColumnsArePlacedByTheirAlignment) {
    const char* cell = "<tr><td width=20 bgcolor=#ff0000></td></tr></table>";
    Measure(std::string("<table align=center>") + cell);
    QImage image = Draw(300, 10);
    EXPECT_EQ(At(image, 137, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 138, 1), kRed);
    EXPECT_EQ(At(image, 161, 1), kRed);
    EXPECT_EQ(At(image, 162, 1), 0xFFFFFFu);
    Measure(std::string("<table align=right>") + cell);
    image = Draw(300, 10);
    EXPECT_EQ(At(image, 275, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 276, 1), kRed);
    EXPECT_EQ(At(image, 299, 1), kRed);
}

TEST_F(RendererTable, BordersInTheirStylesAndColours) {
    // Solid, 3 pixels: light top and left, dark right and bottom; cells inherit a 1-pixel
    // border drawn the other way round.
    QSize size = Measure(
        "<table border=3 bordercolorlight=#ff0000 bordercolordark=#0000ff>"
        "<tr><td width=10></td></tr></table>");
    EXPECT_EQ(size, QSize(3 + 16 + 3 + 1, 3 + 6 + 3 + 1));
    QImage image = Draw(size.width() - 1, size.height() - 1);
    EXPECT_EQ(At(image, 1, 0), kRed);
    EXPECT_EQ(At(image, 2, 5), kRed);
    EXPECT_EQ(At(image, 21, 5), kBlue);
    EXPECT_EQ(At(image, 5, 11), kBlue);
    EXPECT_EQ(At(image, 4, 3), kBlue);  // cell: dark first
    EXPECT_EQ(At(image, 18, 5), kRed);  // and light second

    size = Measure(
        "<table border=1 borderstyle=double bordercolor=#00ff00><tr><td width=10>"
        "</td></tr></table>");
    EXPECT_EQ(size.width(), 6 + 16 + 1);
    image = Draw(size.width() - 1, size.height() - 1);
    EXPECT_EQ(At(image, 8, 0), kGreen);
    EXPECT_EQ(At(image, 8, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 8, 2), kGreen);

    size = Measure(
        "<table border=4 borderstyle=dashed bordercolor=#00ff00><tr><td width=20>"
        "</td></tr></table>");
    EXPECT_EQ(size.width(), 2 + 26 + 1);  // only solid borders are wider than 1 pixel
    image = Draw(size.width() - 1, size.height() - 1);
    EXPECT_EQ(At(image, 3, 0), kGreen);
    EXPECT_EQ(At(image, 4, 0), 0xFFFFFFu);
    EXPECT_EQ(At(image, 6, 0), kGreen);
}

TEST_F(RendererTable, EffectBackgroundsCoverTheTable) {
    Measure(
        "<table bgeffect=hgradient bgcolor=#ff0000 bgendcolor=#0000ff>"
        "<tr><td width=124 height=20></td></tr></table>");
    const QImage image = Draw(128, 24);
    EXPECT_EQ(At(image, 0, 10), kRed);
    const ColorRef right = At(image, 127, 10);
    EXPECT_LT(RedOf(right), 8);
    EXPECT_GT(BlueOf(right), 245);
}

TEST_F(RendererTable, CellContentIsAlignedVerticallyInItsArea) {
    QImage square(10, 10, QImage::Format_ARGB32);
    square.fill(Qt::black);
    const ImageHandle image(square);
    const std::string bmp = "<bmp handle=" + std::to_string(image.Value()) + ">";
    for (const auto& [valign, top] :
         {std::pair{"top", 2}, {"middle", 2 + (60 - 10) / 2}, {"bottom", 2 + 60 - 10}}) {
        Draw(Measure(std::string("<table><tr><td height=60 valign=") + valign + "><a href=x>" +
                     bmp + "</a></td></tr></table>"));
        ASSERT_EQ(Areas().size(), 1u) << valign;
        EXPECT_EQ(Areas()[0].rect.top, top) << valign;
    }
}

TEST_F(RendererTable, NestedTablesAndTheTextAroundThem) {
    const std::string nested =
        "<table cellpadding=0><tr><td><table cellpadding=0><tr><td><a href=x>in</a></td></tr>"
        "</table></td></tr></table>";
    EXPECT_EQ(Measure(nested), QSize(Width("in") + 1, LineHeight() + 1));
    const int h = LineHeight();
    EXPECT_EQ(Measure("above" + nested + "below").height(), 3 * h + 1);
    Draw(Measure("above" + nested + "below"));
    ASSERT_EQ(Areas().size(), 1u);
    EXPECT_EQ(Areas()[0].rect.top, h);
    // A closing tag without a table is an unknown tag of the flow.
    EXPECT_EQ(Measure("a</table>b").width(), Width("ab") + 1);
}

}  // namespace
}  // namespace dbx::testing
