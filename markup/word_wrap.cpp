#include "word_wrap.h"

#include <vector>

namespace dbx::markup {
namespace {

// The first stretch NextLine measures; it doubles until it no longer fits.
constexpr std::size_t kFirstProbe = 16;

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
    // Pieces end no earlier than the pieces of the breaks before them, and widths grow with the
    // piece, so the last piece that fits is found by halving.
    std::vector<WrapCut> breaks;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (!IsBreak(run[i])) continue;
        std::size_t end = run[i] == ' ' ? i : i + 1;
        while (end > 0 && run[end - 1] == ' ') --end;
        // An empty piece at the start of a line would only make an empty line.
        if (end == 0 && atLineStart) continue;
        breaks.push_back({end, i + 1});
    }
    std::size_t fitting = 0;
    std::size_t tooLong = breaks.size();
    while (fitting < tooLong) {
        const std::size_t mid = fitting + (tooLong - fitting) / 2;
        if (width(run.substr(0, breaks[mid].pieceEnd)) <= room) {
            fitting = mid + 1;
        } else {
            tooLong = mid;
        }
    }
    if (fitting > 0) {
        const WrapCut& best = breaks[fitting - 1];
        return {best.pieceEnd, SkipSpaces(run, best.restStart)};
    }
    if (!atLineStart || run.empty()) return {0, 0};
    const std::size_t end = LongestFittingPrefix(run, room, width);
    return {end, SkipSpaces(run, end)};
}

LineCut NextLine(std::string_view run, int room, bool atLineStart, const TextWidth& width) {
    std::size_t probe = kFirstProbe;
    while (true) {
        if (probe >= run.size()) {
            if (width(run) <= room) return {true, {run.size(), run.size()}};
            probe = run.size();
            break;
        }
        if (width(run.substr(0, probe)) > room) break;
        probe *= 2;
    }
    // A break past the probe makes a piece longer than the probe, which cannot fit, unless only
    // spaces lie between: those are trimmed off the piece, so the window takes them in.
    const std::string_view window = run.substr(0, SkipSpaces(run, probe));
    return {false, CutRun(window, room, atLineStart, width)};
}

}  // namespace dbx::markup
