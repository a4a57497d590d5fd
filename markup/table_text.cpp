#include "table_text.h"

#include <optional>

namespace dbx::markup {
namespace {

enum class Word { Table, Row, Cell };

struct StructureTag {
    std::size_t begin = 0;  // at the "<"
    std::size_t end = 0;    // after the ">"
    Word word = Word::Table;
    bool closing = false;
    std::string_view attributes;
};

std::optional<StructureTag> ReadStructureTag(std::string_view tag, std::size_t begin,
                                             std::size_t end) {
    StructureTag t{begin, end, Word::Table, false, {}};
    if (!tag.empty() && tag.front() == '/') {
        t.closing = true;
        tag.remove_prefix(1);
    }
    std::string_view name;
    for (std::string_view candidate : {"table", "tr", "td"}) {
        if (tag.substr(0, candidate.size()) == candidate &&
            (tag.size() == candidate.size() || tag[candidate.size()] == ' ')) {
            name = candidate;
            break;
        }
    }
    if (name.empty()) return std::nullopt;
    t.word = name == "table" ? Word::Table : name == "tr" ? Word::Row : Word::Cell;
    std::string_view rest = tag.substr(name.size());
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    t.attributes = rest;
    return t;
}

// The next table, tr or td tag from `pos`, read the way the tokens are: "<<" is a literal and
// a tag runs to the next ">".
std::optional<StructureTag> NextStructureTag(std::string_view text, std::size_t& pos) {
    while (pos < text.size()) {
        const std::size_t lt = text.find('<', pos);
        if (lt == std::string_view::npos) break;
        if (lt + 1 < text.size() && text[lt + 1] == '<') {
            pos = lt + 2;
            continue;
        }
        const std::size_t gt = text.find('>', lt + 1);
        if (gt == std::string_view::npos) {
            pos = lt + 1;
            continue;
        }
        pos = gt + 1;
        if (auto tag = ReadStructureTag(text.substr(lt + 1, gt - lt - 1), lt, gt + 1)) return tag;
    }
    pos = text.size();
    return std::nullopt;
}

// Moves `pos` past the "</table>" that balances an opening one already read; the end of the
// text when there is none.
void SkipToTableEnd(std::string_view text, std::size_t& pos) {
    int depth = 1;
    while (auto tag = NextStructureTag(text, pos)) {
        if (tag->word != Word::Table) continue;
        depth += tag->closing ? -1 : 1;
        if (depth == 0) return;
    }
}

}  // namespace

std::vector<TextPart> SplitAtTables(std::string_view text) {
    std::vector<TextPart> parts;
    std::size_t flowStart = 0;
    std::size_t pos = 0;
    while (auto tag = NextStructureTag(text, pos)) {
        if (tag->word != Word::Table || tag->closing) continue;
        parts.push_back({false, text.substr(flowStart, tag->begin - flowStart)});
        SkipToTableEnd(text, pos);
        parts.push_back({true, text.substr(tag->begin, pos - tag->begin)});
        flowStart = pos;
    }
    parts.push_back({false, text.substr(flowStart)});
    return parts;
}

TableText ParseTableText(std::string_view table) {
    TableText result;
    std::size_t pos = 0;
    const auto opening = NextStructureTag(table, pos);
    if (!opening || opening->word != Word::Table || opening->closing) return result;
    result.attributes = opening->attributes;

    bool rowOpen = false;
    constexpr std::size_t kNoCell = std::string_view::npos;
    std::size_t cellStart = kNoCell;
    const auto closeCell = [&](std::size_t at) {
        if (cellStart == kNoCell) return;
        result.rows.back().cells.back().content = table.substr(cellStart, at - cellStart);
        cellStart = kNoCell;
    };
    while (auto tag = NextStructureTag(table, pos)) {
        if (tag->word == Word::Table) {
            if (tag->closing) {
                closeCell(tag->begin);
                return result;
            }
            SkipToTableEnd(table, pos);  // a nested table belongs to the cell it is in
            continue;
        }
        closeCell(tag->begin);
        if (tag->word == Word::Row) {
            rowOpen = !tag->closing;
            if (rowOpen) result.rows.push_back({tag->attributes, {}});
            continue;
        }
        if (tag->closing) continue;
        if (!rowOpen) {
            result.rows.push_back({});
            rowOpen = true;
        }
        result.rows.back().cells.push_back({tag->attributes, {}});
        cellStart = tag->end;
    }
    closeCell(table.size());
    return result;
}

}  // namespace dbx::markup
