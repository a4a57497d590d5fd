#pragma once

#include <vector>

#include "layout_records.h"

namespace dbx::markup {

// Columns beyond this are not made: a cell that finds no room below it is left out.
inline constexpr int kMaxTableColumns = 1000;

// Puts each cell (row and spans set, in text order) into the first free position of its row,
// left to right; spans are cut to the grid. Sets the column count from the cells placed.
void PlaceCells(TableRecord& table);

// Column widths and row heights from the cells' full sizes, span 1 first, then 2, and so on;
// a spanning cell that is wider than its columns shares the difference evenly, the first column
// taking the odd pixels. Columns under a cell with a width request become fixed.
void SizeColumnsAndRows(TableRecord& table);

// Width and height of the whole table; `borderExtra` is what both borders add together.
void SizeTable(TableRecord& table, int spacing, int borderExtra);

// Shares `extra` pixels among the columns that are not fixed, each in turn taking what is left
// divided by the columns left. False, and nothing changed, when every column is fixed.
bool WidenFreeColumns(std::vector<int>& widths, const std::vector<bool>& fixed, int extra);

// Offsets of the columns (or rows) from the inner edge of the table: spacing before the first,
// then each one's size, 1 pixel and the spacing.
std::vector<int> TrackOffsets(const std::vector<int>& sizes, int spacing);

// The extent of `span` tracks from `first`: their sizes and the gaps between them.
int SpanExtent(const std::vector<int>& sizes, int first, int span, int spacing);

}  // namespace dbx::markup
