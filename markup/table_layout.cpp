#include "table_layout.h"

#include <QPainter>
#include <algorithm>

#include "ansi_codepage.h"
#include "effect_painter.h"
#include "layout_math.h"
#include "markup_images.h"
#include "markup_numbers.h"
#include "resource_registry.h"
#include "table_attributes.h"
#include "table_borders.h"
#include "table_grid.h"

namespace dbx::markup {
namespace {

constexpr int kTableGranularity = 5;

Rect Inset(const Rect& r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

bool IsNumber(std::string_view v) {
    return !v.empty() &&
           std::all_of(v.begin(), v.end(),
                       [](char c) {
                           return (c >= '0' && c <= '9') || c == 'x' || c == 'X' ||
                                  (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
                       }) &&
           v.front() >= '0' && v.front() <= '9';
}

}  // namespace

QSize TableLayout::Run(std::string_view tableText, const Rect& area, const StyleState& outer,
                       int depth) {
    const TableText table = ParseTableText(tableText);
    engine_.SelectStyle(outer);
    StyleState tableState = outer;
    tableState.tagName = "table";
    engine_.Language().ApplyRule("table", tableState, engine_.Measures());
    ApplyTableAttributes(table.attributes, TablePart::Table, tableState, engine_.Values());
    return engine_.Measuring() ? Measure(table, tableState, area, depth)
                               : Draw(table, tableState, area, depth);
}

std::vector<TableLayout::Cell> TableLayout::CellsOf(const TableText& table,
                                                    const StyleState& tableState) {
    std::vector<Cell> cells;
    const ValueReader values = engine_.Values();
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const RowText& row = table.rows[r];
        StyleState rowState = tableState;
        rowState.tagName = "tr";
        engine_.Language().ApplyRule("tr", rowState, values.measures);
        ApplyTableAttributes(row.attributes, TablePart::Row, rowState, values);
        for (const CellText& text : row.cells) {
            Cell cell{&text, rowState, 1, 1, int(r)};
            cell.state.tagName = "td";
            engine_.Language().ApplyRule("td", cell.state, values.measures);
            cell.state.cellWidth = cell.state.cellHeight = 0;
            CellSpans spans;
            ApplyTableAttributes(text.attributes, TablePart::Cell, cell.state, values, &spans);
            cell.columnSpan = std::min(spans.columns, kMaxTableColumns);
            cell.rowSpan = std::min(spans.rows, int(table.rows.size()));
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

QSize TableLayout::Measure(const TableText& table, const StyleState& tableState, const Rect& area,
                           int depth) {
    std::vector<TableRecord>& tables = engine_.Records().tables;
    const std::size_t index = std::size_t(engine_.NextTable());
    if (tables.size() <= index) tables.resize(index + 1);

    const std::vector<Cell> cells = CellsOf(table, tableState);
    TableRecord record;
    record.rows = int(table.rows.size());
    for (const Cell& c : cells) {
        TableCellRecord entry;
        entry.row = c.row;
        entry.columnSpan = c.columnSpan;
        entry.rowSpan = c.rowSpan;
        record.cells.push_back(entry);
    }
    PlaceCells(record);

    const int spacing = tableState.cellSpacing;
    const int border = TableBorderExtra(tableState);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        TableCellRecord& entry = record.cells[i];
        if (!entry.placed) continue;
        const StyleState& cs = cells[i].state;
        const int inset = cs.cellPadding + cs.borderWidth;
        // Content is wrapped to the width asked for, else to what the area leaves it.
        int wrapWidth = cs.cellWidth;
        if (wrapWidth == 0 && area.Width() > 0) {
            wrapWidth = std::max(0, area.Width() - border - 2 * spacing - 2 * inset);
        }
        StyleState state = cs;
        StyleStack stack;
        const QSize content = engine_.LayoutParts(cells[i].text->content,
                                                  Rect{area.left, 0, area.left + wrapWidth, 0},
                                                  state, stack, depth + 1);
        entry.contentWidth = std::max(cs.cellWidth, content.width());
        entry.partsHeight = content.height();
        entry.contentHeight = std::max(cs.cellHeight, content.height());
        entry.fullWidth = AddClamped(entry.contentWidth, 2 * std::int64_t(inset));
        entry.fullHeight = AddClamped(entry.contentHeight, 2 * std::int64_t(inset));
        entry.widthRequest = cs.cellWidth > 0;
    }
    SizeColumnsAndRows(record);
    SizeTable(record, spacing, border);
    const QSize size(record.width, record.height);
    tables[index] = std::move(record);
    return size;
}

QSize TableLayout::Draw(const TableText& table, const StyleState& tableState, const Rect& area,
                        int depth) {
    const std::vector<TableRecord>& tables = engine_.Records().tables;
    const std::size_t index = std::size_t(engine_.NextTable());
    if (index >= tables.size()) return {};
    // A copy: widening the free columns must not change what the next drawing starts from.
    const TableRecord record = tables[index];
    std::vector<int> widths = record.columnWidths;
    int width = record.width;
    int left = area.left;
    const int areaWidth = area.Width();
    if (width > 0 && width < areaWidth) {
        if (WidenFreeColumns(widths, record.fixedColumns, areaWidth - width)) {
            width = areaWidth;
        } else if (tableState.horizontalAlign == HAlign::Center) {
            left += (areaWidth - width) / 2;
        } else if (tableState.horizontalAlign == HAlign::Right) {
            left = area.right - width;
        }
    }
    const Rect rect{left, area.top, left + width, area.top + record.height};
    if (width == 0 || record.height == 0) return QSize(width, record.height);

    DeviceContext& dc = engine_.Dc();
    const bool colors = engine_.Language().ColorMode();
    const ColorRef fixed = engine_.Language().FixedColor();
    PaintBackground(tableState, rect);
    DrawTableBorder(dc, rect, tableState.borderStyle, tableState.borderWidth,
                    colors ? tableState.borderColorLight : fixed,
                    colors ? tableState.borderColorDark : fixed);

    const int inset = TableBorderInset(tableState);
    const int spacing = tableState.cellSpacing;
    const std::vector<int> columnAt = TrackOffsets(widths, spacing);
    const std::vector<int> rowAt = TrackOffsets(record.rowHeights, spacing);
    const std::vector<Cell> cells = CellsOf(table, tableState);
    for (std::size_t i = 0; i < cells.size() && i < record.cells.size(); ++i) {
        const TableCellRecord& entry = record.cells[i];
        if (!entry.placed || entry.column >= int(widths.size()) ||
            entry.row >= int(record.rowHeights.size())) {
            continue;
        }
        const StyleState& cs = cells[i].state;
        const int cellLeft = rect.left + inset + columnAt[std::size_t(entry.column)];
        const int cellTop = rect.top + inset + rowAt[std::size_t(entry.row)];
        const Rect cell{cellLeft, cellTop,
                        cellLeft + SpanExtent(widths, entry.column, entry.columnSpan, spacing),
                        cellTop + SpanExtent(record.rowHeights, entry.row, entry.rowSpan, spacing)};
        if (cs.backgroundEffect >= 0) {
            engine_.Effects().Paint(dc, cs.backgroundEffect, cell, cs.backgroundColor,
                                    cs.middleColor, cs.endColor, kTableGranularity);
        }
        // Cell borders are 1 pixel, so a double one is drawn as a single line.
        DrawTableBorder(dc, cell, cs.borderStyle == kBorderDouble ? 1 : cs.borderStyle,
                        cs.borderWidth, colors ? cs.borderColorDark : fixed,
                        colors ? cs.borderColorLight : fixed);

        const Rect content = Inset(cell, cs.cellPadding + cs.borderWidth);
        int top = content.top;
        if (cs.verticalAlign == VAlign::Center) {
            top += (content.Height() - entry.partsHeight) / 2;
        } else if (cs.verticalAlign == VAlign::Bottom) {
            top = content.bottom - entry.partsHeight;
        }
        StyleState state = cs;
        StyleStack stack;
        engine_.LayoutParts(cells[i].text->content,
                            Rect{content.left, top, content.right, content.bottom}, state, stack,
                            depth + 1);
    }
    return QSize(width, record.height);
}

void TableLayout::PaintBackground(const StyleState& t, const Rect& rect) {
    DeviceContext& dc = engine_.Dc();
    if (t.backgroundEffect >= 0) {
        engine_.Effects().Paint(dc, t.backgroundEffect, rect, t.backgroundColor, t.middleColor,
                                t.endColor, kTableGranularity);
        return;
    }
    if (t.backgroundImage.empty()) return;
    // A number names a resource of the program, anything else a file; the image is tiled.
    const QImage image =
        IsNumber(t.backgroundImage)
            ? ResourceRegistry::Instance().Image(ReadAutoInteger(t.backgroundImage))
            : ReadImageFile(t.backgroundImage);
    if (image.isNull()) return;
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setBrushOrigin(rect.left, rect.top);
    painter.fillRect(rect.ToQRect(), QBrush(image));
    painter.restore();
}

}  // namespace dbx::markup
