#include "table_grid.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "layout_math.h"

namespace dbx::markup {
namespace {

// Raises the tracks under each cell to its size, one span length after the other.
template <typename SpanOf, typename FirstOf, typename SizeOf>
void SizeTracks(std::vector<int>& sizes, const std::vector<TableCellRecord>& cells, SpanOf spanOf,
                FirstOf firstOf, SizeOf sizeOf) {
    std::vector<const TableCellRecord*> order;
    for (const TableCellRecord& c : cells) {
        if (c.placed) order.push_back(&c);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto* a, const auto* b) { return spanOf(*a) < spanOf(*b); });
    for (const TableCellRecord* c : order) {
        const int first = firstOf(*c);
        const int span = spanOf(*c);
        const int size = sizeOf(*c);
        if (span == 1) {
            sizes[first] = std::max(sizes[first], size);
            continue;
        }
        std::int64_t sum = 0;
        for (int i = first; i < first + span; ++i) sum += sizes[i];
        if (sum >= size) continue;
        const int missing = int(size - sum);
        for (int i = first; i < first + span; ++i) sizes[i] += missing / span;
        sizes[first] += missing % span;
    }
}

}  // namespace

void PlaceCells(TableRecord& t) {
    std::vector<std::vector<bool>> taken(std::size_t(t.rows));
    std::vector<int> cursor(std::size_t(t.rows), 0);
    t.columns = 0;
    for (TableCellRecord& c : t.cells) {
        c.placed = false;
        if (c.row < 0 || c.row >= t.rows) continue;
        std::vector<bool>& line = taken[std::size_t(c.row)];
        int column = cursor[std::size_t(c.row)];
        while (column < int(line.size()) && line[std::size_t(column)]) ++column;
        if (column >= kMaxTableColumns) continue;
        c.column = column;
        c.columnSpan = std::clamp(c.columnSpan, 1, kMaxTableColumns - column);
        c.rowSpan = std::clamp(c.rowSpan, 1, t.rows - c.row);
        c.placed = true;
        for (int r = c.row; r < c.row + c.rowSpan; ++r) {
            std::vector<bool>& cover = taken[std::size_t(r)];
            if (int(cover.size()) < column + c.columnSpan) cover.resize(column + c.columnSpan);
            std::fill(cover.begin() + column, cover.begin() + column + c.columnSpan, true);
        }
        cursor[std::size_t(c.row)] = column + c.columnSpan;
        t.columns = std::max(t.columns, column + c.columnSpan);
    }
}

void SizeColumnsAndRows(TableRecord& t) {
    t.columnWidths.assign(std::size_t(t.columns), 0);
    t.rowHeights.assign(std::size_t(t.rows), 0);
    t.fixedColumns.assign(std::size_t(t.columns), false);
    for (const TableCellRecord& c : t.cells) {
        if (!c.placed || !c.widthRequest) continue;
        for (int i = c.column; i < c.column + c.columnSpan; ++i)
            t.fixedColumns[std::size_t(i)] = true;
    }
    SizeTracks(
        t.columnWidths, t.cells, [](const TableCellRecord& c) { return c.columnSpan; },
        [](const TableCellRecord& c) { return c.column; },
        [](const TableCellRecord& c) { return c.fullWidth; });
    SizeTracks(
        t.rowHeights, t.cells, [](const TableCellRecord& c) { return c.rowSpan; },
        [](const TableCellRecord& c) { return c.row; },
        [](const TableCellRecord& c) { return c.fullHeight; });
}

void SizeTable(TableRecord& t, int spacing, int borderExtra) {
    const bool anyCell =
        std::any_of(t.cells.begin(), t.cells.end(), [](const auto& c) { return c.placed; });
    if (!anyCell || t.columns == 0 || t.rows == 0) {
        t.width = t.height = 0;
        return;
    }
    const auto extent = [&](const std::vector<int>& sizes) {
        std::int64_t total = std::int64_t(spacing) + std::int64_t(sizes.size()) - 1 + borderExtra;
        for (int size : sizes) total += std::int64_t(spacing) + size;
        return ClampCoordinate(total);
    };
    t.width = extent(t.columnWidths);
    t.height = extent(t.rowHeights);
}

bool WidenFreeColumns(std::vector<int>& widths, const std::vector<bool>& fixed, int extra) {
    int free = int(std::count(fixed.begin(), fixed.end(), false));
    if (free == 0) return false;
    int remaining = extra;
    for (std::size_t i = 0; i < widths.size() && free > 0; ++i) {
        if (fixed[i]) continue;
        const int share = remaining / free;
        widths[i] = AddClamped(widths[i], share);
        remaining -= share;
        --free;
    }
    return true;
}

std::vector<int> TrackOffsets(const std::vector<int>& sizes, int spacing) {
    std::vector<int> offsets(sizes.size());
    std::int64_t at = spacing;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        offsets[i] = ClampCoordinate(at);
        at += std::int64_t(sizes[i]) + spacing + 1;
    }
    return offsets;
}

int SpanExtent(const std::vector<int>& sizes, int first, int span, int spacing) {
    std::int64_t total = std::int64_t(spacing + 1) * (span - 1);
    for (int i = first; i < first + span && i < int(sizes.size()); ++i)
        total += sizes[std::size_t(i)];
    return ClampCoordinate(total);
}

}  // namespace dbx::markup
