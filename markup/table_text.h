#pragma once

#include <string_view>
#include <vector>

namespace dbx::markup {

// A run of flow text, or a whole table from "<table" to its matching "</table>" (to the end of
// the text when it is never closed).
struct TextPart {
    bool table = false;
    std::string_view text;
};

// Cuts a prepared text at its top-level tables; nested tables stay inside theirs. Escaped "<<"
// and the insides of other tags never count as table tags.
std::vector<TextPart> SplitAtTables(std::string_view text);

struct CellText {
    std::string_view attributes;
    std::string_view content;
};

struct RowText {
    std::string_view attributes;
    std::vector<CellText> cells;
};

struct TableText {
    std::string_view attributes;
    std::vector<RowText> rows;
};

// The rows and cells of one table text. A cell ends at its "</td>" or at the next cell, row or
// the table's end; a cell outside any row opens one; nested tables are skipped as a whole.
TableText ParseTableText(std::string_view table);

}  // namespace dbx::markup
