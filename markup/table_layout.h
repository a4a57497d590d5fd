#pragma once

#include <QSize>
#include <string_view>
#include <vector>

#include "layout_engine.h"
#include "table_text.h"

namespace dbx::markup {

// Lays out one table, from "<table" to its "</table>": measuring sizes the grid from the cells'
// contents and keeps it as the table's record; drawing widens the free columns to the area,
// paints backgrounds and borders and draws each cell's content.
class TableLayout {
  public:
    explicit TableLayout(LayoutEngine& engine) : engine_(engine) {}

    QSize Run(std::string_view tableText, const Rect& area, const StyleState& outer, int depth);

  private:
    struct Cell {
        const CellText* text = nullptr;
        StyleState state;
        int columnSpan = 1;
        int rowSpan = 1;
        int row = 0;
    };

    std::vector<Cell> CellsOf(const TableText& table, const StyleState& tableState);
    QSize Measure(const TableText& table, const StyleState& tableState, const Rect& area,
                  int depth);
    QSize Draw(const TableText& table, const StyleState& tableState, const Rect& area, int depth);
    void PaintBackground(const StyleState& tableState, const Rect& rect);

    LayoutEngine& engine_;
};

}  // namespace dbx::markup
