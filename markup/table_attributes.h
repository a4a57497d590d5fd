#pragma once

#include <string_view>

#include "style_state.h"
#include "value_reader.h"

namespace dbx::markup {

enum class TablePart { Table, Row, Cell };

struct CellSpans {
    int columns = 1;
    int rows = 1;
};

// Applies the attributes of a table, tr or td tag to the state, then settles the border: a
// table keeps a width only with a style, and only solid borders are wider than 1 pixel; rows
// and cells have 1-pixel borders at most. Spans are read into `spans` when given.
void ApplyTableAttributes(std::string_view attributes, TablePart part, StyleState& state,
                          const ValueReader& values, CellSpans* spans = nullptr);

// What both borders of a table add to its width (and height).
int TableBorderExtra(const StyleState& table);
// How far the cells lie inside the table's edge.
int TableBorderInset(const StyleState& table);

inline constexpr int kBorderDouble = 6;

}  // namespace dbx::markup
