#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace dbx::markup {

// Where a text run that does not fit is cut: the piece run[0, pieceEnd) stays on the line and
// the rest run[restStart, end) goes on to the next one. An empty piece moves the whole run.
struct WrapCut {
    std::size_t pieceEnd = 0;
    std::size_t restStart = 0;
};

using TextWidth = std::function<int(std::string_view)>;

// Cuts after the last break character (space or one of "-.,!:;)}]?") whose piece, without
// trailing spaces, fits in `room`; the rest loses its leading spaces. When none fits, a run at
// the start of a line is cut inside a word after the longest prefix that fits (at least one
// character); elsewhere it moves to the next line whole.
WrapCut CutRun(std::string_view run, int room, bool atLineStart, const TextWidth& width);

// The next line of a run: the whole run when it fits in `room`, otherwise the cut CutRun makes.
// Only a stretch about twice as long as what fits is measured, so that wrapping a run into
// lines costs time linear in its length.
struct LineCut {
    bool whole = false;
    WrapCut cut;
};
LineCut NextLine(std::string_view run, int room, bool atLineStart, const TextWidth& width);

}  // namespace dbx::markup
