#pragma once

#include <string>
#include <vector>

#include "rect.h"
#include "style_state.h"
#include "text_extents.h"

namespace dbx::markup {

enum class Pass { Measure, Draw };

// One laid-out line, made while measuring and read back while drawing.
struct LineRecord {
    int width = 0;  // without justification and without the share of percentage rules
    int height = 0;
    int descent = 0;
    HAlign align = HAlign::Left;
    int spaces = 0;
    int percentSum = 0;    // sum of the percentages of the rules on the line
    bool wrapped = false;  // ended by wrapping rather than by a break or the end of the text
};

// One table of a document, made while measuring; cells are in text order.
struct TableCellRecord {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    int contentWidth = 0;   // the larger of the width request and the widest part
    int contentHeight = 0;  // the larger of the height request and the parts' heights
    int partsHeight = 0;    // the parts alone, for vertical alignment
    int fullWidth = 0;
    int fullHeight = 0;
    bool widthRequest = false;
    bool placed = false;  // false when the grid had no room left for the cell
};

struct TableRecord {
    int columns = 0;
    int rows = 0;
    std::vector<TableCellRecord> cells;
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<bool> fixedColumns;
    int width = 0;
    int height = 0;
};

// What a measurement leaves for the drawings that follow it. Flow stretches keep the width they
// were wrapped to, so that drawing into a wider area cuts the lines as measuring did.
struct LayoutRecords {
    std::vector<LineRecord> lines;
    std::vector<int> stretchWrapWidths;
    std::vector<TableRecord> tables;
    TextExtents extents;

    void Clear() {
        lines.clear();
        stretchWrapWidths.clear();
        tables.clear();
        extents.Clear();
    }
};

// Where one drawn piece of a link lies.
struct HotArea {
    Rect rect;
    LinkKind kind = LinkKind::None;
    int number = -1;
    std::string target;
};

// The drop shadow of images with the "s" style.
struct ImageShadow {
    int offsetX = 4;
    int offsetY = 4;
    int darkness = 50;  // per cent
    bool soft = true;
    int blurX = 7;
    int blurY = 7;
};

}  // namespace dbx::markup
