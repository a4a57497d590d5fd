#include "word_wrap.h"

namespace dbx::markup {
namespace {

bool IsBreak(char c) {
    return c == ' ' || std::string_view("-.,!:;)}]?").find(c) != std::string_view::npos;
}

std::size_t SkipSpaces(std::string_view run, std::size_t pos) {
    while (pos < run.size() && run[pos] == ' ') ++pos;
    return pos;
}

// The longest prefix that fits, found by halving: prefix widths grow with their length.
std::size_t LongestFittingPrefix(std::string_view run, int room, const TextWidth& width) {
    std::size_t fits = 1;
    std::size_t tooLong = run.size() + 1;
    while (tooLong - fits > 1) {
        const std::size_t mid = fits + (tooLong - fits) / 2;
        if (width(run.substr(0, mid)) <= room) {
            fits = mid;
        } else {
            tooLong = mid;
        }
    }
    return fits;
}

}  // namespace

WrapCut CutRun(std::string_view run, int room, bool atLineStart, const TextWidth& width) {
    bool found = false;
    WrapCut best;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (!IsBreak(run[i])) continue;
        std::size_t end = run[i] == ' ' ? i : i + 1;
        while (end > 0 && run[end - 1] == ' ') --end;
        // An empty piece at the start of a line would only make an empty line.
        if (end == 0 && atLineStart) continue;
        // Widths grow with the piece, so the first break that does not fit ends the search.
        if (width(run.substr(0, end)) > room) break;
        found = true;
        best = {end, SkipSpaces(run, i + 1)};
    }
    if (found) return best;
    if (!atLineStart || run.empty()) return {0, 0};
    const std::size_t end = LongestFittingPrefix(run, room, width);
    return {end, SkipSpaces(run, end)};
}

}  // namespace dbx::markup
