// Finding tables, rows and cells in a text, and sizing the grid of a table.
#include <gtest/gtest.h>

#include "table_grid.h"
#include "table_text.h"

namespace dbx::markup {
namespace {

TEST(TableText, SplitsAtTopLevelTablesOnly) {
    const std::string text =
        "before<table a=1><tr><td><table><tr><td>in</td></tr></table></td></tr></table>after";
    const auto parts = SplitAtTables(text);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].text, "before");
    EXPECT_TRUE(parts[1].table);
    EXPECT_EQ(parts[1].text, text.substr(6, text.size() - 11));
    EXPECT_EQ(parts[2].text, "after");
}

TEST(TableText, EscapesStrayClosingTagsAndTagInsidesAreNotTables) {
    for (const char* text : {"a <<table> b", "x</table>y", "<font face=\"<table>\">z", "<tablet>",
                             "<tr><td>no table</td></tr>"}) {
        const auto parts = SplitAtTables(text);
        ASSERT_EQ(parts.size(), 1u) << text;
        EXPECT_FALSE(parts[0].table) << text;
    }
    // A table that is never closed runs to the end of the text.
    const auto open = SplitAtTables("a<table><tr><td>b");
    ASSERT_EQ(open.size(), 3u);
    EXPECT_EQ(open[1].text, "<table><tr><td>b");
    EXPECT_EQ(open[2].text, "");
}

TEST(TableText, RowsAndCellsWithTheirAttributes) {
    const TableText t = ParseTableText(
        "<table cellpadding=5><tr align=center><td width=32>A</td><td>B<table><tr><td>x</td>"
        "</tr></table></td></tr><tr><td colspan=2>C</td></tr></table>");
    EXPECT_EQ(t.attributes, "cellpadding=5");
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].attributes, "align=center");
    ASSERT_EQ(t.rows[0].cells.size(), 2u);
    EXPECT_EQ(t.rows[0].cells[0].attributes, "width=32");
    EXPECT_EQ(t.rows[0].cells[0].content, "A");
    EXPECT_EQ(t.rows[0].cells[1].content, "B<table><tr><td>x</td></tr></table>");
    ASSERT_EQ(t.rows[1].cells.size(), 1u);
    EXPECT_EQ(t.rows[1].cells[0].content, "C");
}

TEST(TableText, UnclosedCellsEndAtTheNextCellRowOrTableEnd) {
    const TableText t = ParseTableText("<table><td>loose<td>two<tr><td>three</table>");
    ASSERT_EQ(t.rows.size(), 2u);
    ASSERT_EQ(t.rows[0].cells.size(), 2u);
    EXPECT_EQ(t.rows[0].cells[0].content, "loose");
    EXPECT_EQ(t.rows[0].cells[1].content, "two");
    ASSERT_EQ(t.rows[1].cells.size(), 1u);
    EXPECT_EQ(t.rows[1].cells[0].content, "three");
}

TableCellRecord CellOf(int row, int width, int height = 10, int columnSpan = 1, int rowSpan = 1,
                       bool request = false) {
    TableCellRecord c;
    c.row = row;
    c.fullWidth = width;
    c.fullHeight = height;
    c.columnSpan = columnSpan;
    c.rowSpan = rowSpan;
    c.widthRequest = request;
    return c;
}

TableRecord Sized(int rows, std::vector<TableCellRecord> cells) {
    TableRecord t;
    t.rows = rows;
    t.cells = std::move(cells);
    PlaceCells(t);
    SizeColumnsAndRows(t);
    return t;
}

TEST(TableGrid, RowSpansPushLaterCellsRight) {
    const TableRecord t = Sized(2, {CellOf(0, 10, 10, 1, 2), CellOf(0, 20), CellOf(1, 30)});
    EXPECT_EQ(t.columns, 2);
    EXPECT_EQ(t.cells[2].column, 1);
    EXPECT_EQ(t.columnWidths, (std::vector<int>{10, 30}));
}

TEST(TableGrid, SpanningCellsShareTheMissingWidthFirstColumnTakingTheRest) {
    const TableRecord t = Sized(2, {CellOf(0, 14), CellOf(0, 14), CellOf(1, 55, 10, 2)});
    EXPECT_EQ(t.columnWidths, (std::vector<int>{28, 27}));
    // Wide enough columns are left alone.
    const TableRecord wide = Sized(2, {CellOf(0, 40), CellOf(0, 40), CellOf(1, 55, 10, 2)});
    EXPECT_EQ(wide.columnWidths, (std::vector<int>{40, 40}));
    // Rows by the same rule.
    const TableRecord tall = Sized(2, {CellOf(0, 5, 31, 1, 2), CellOf(0, 5, 10), CellOf(1, 5, 10)});
    EXPECT_EQ(tall.rowHeights, (std::vector<int>{16, 15}));
}

TEST(TableGrid, TableSizeAndTheMessageBoxIconTable) {
    TableRecord t = Sized(1, {CellOf(0, 42, 42, 1, 1, true), CellOf(0, 110, 30)});
    SizeTable(t, 0, 0);
    EXPECT_EQ(t.width, 1 + 42 + 110);
    EXPECT_EQ(t.height, 42);
    EXPECT_EQ(t.fixedColumns, (std::vector<bool>{true, false}));
    SizeTable(t, 3, 4);
    EXPECT_EQ(t.width, 3 + 1 + (3 + 42) + (3 + 110) + 4);
    // Without cells there is nothing to draw, not a negative size.
    TableRecord empty = Sized(2, {});
    SizeTable(empty, 0, 0);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
}

TEST(TableGrid, ExtraWidthGoesToFreeColumnsLaterOnesTakingTheRest) {
    std::vector<int> widths{10, 10, 10};
    EXPECT_TRUE(WidenFreeColumns(widths, {false, true, false}, 5));
    EXPECT_EQ(widths, (std::vector<int>{12, 10, 13}));
    EXPECT_FALSE(WidenFreeColumns(widths, {true, true, true}, 5));
    EXPECT_EQ(widths, (std::vector<int>{12, 10, 13}));
    EXPECT_EQ(TrackOffsets({12, 10, 13}, 2), (std::vector<int>{2, 17, 30}));
    EXPECT_EQ(SpanExtent({12, 10, 13}, 0, 2, 2), 12 + 3 + 10);
}

TEST(TableGrid, HugeSpansAreCutToTheGrid) {
    const TableRecord t = Sized(2, {CellOf(0, 10, 10, 1000000, 70000), CellOf(1, 10)});
    EXPECT_EQ(t.cells[0].columnSpan, kMaxTableColumns);
    EXPECT_EQ(t.cells[0].rowSpan, 2);
    // The second row is full, so its cell finds no place.
    EXPECT_FALSE(t.cells[1].placed);
}

}  // namespace
}  // namespace dbx::markup
