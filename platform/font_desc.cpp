#include "font_desc.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "ansi_codepage.h"

namespace dbx {
namespace {

constexpr int kMaxPixelSize = 4096;

int CellHeight(QFont font, int pixelSize, const QPaintDevice* device) {
    font.setPixelSize(pixelSize);
    const QFontMetrics fm(font, device);
    return fm.ascent() + fm.descent();
}

// Qt sizes fonts by their character height; the cell height is larger by the face's leading,
// so the size is searched around the proportional estimate.
int PixelSizeForCell(const QFont& font, int cell, const QPaintDevice* device) {
    const int atCell = CellHeight(font, cell, device);
    int guess = atCell > 0 ? int(std::int64_t(cell) * cell / atCell) : cell;
    guess = std::clamp(guess, 1, kMaxPixelSize);
    int best = guess;
    int bestDiff = std::abs(CellHeight(font, guess, device) - cell);
    for (int candidate : {guess - 1, guess + 1}) {
        if (candidate < 1 || candidate > kMaxPixelSize) continue;
        const int diff = std::abs(CellHeight(font, candidate, device) - cell);
        if (diff < bestDiff) {
            best = candidate;
            bestDiff = diff;
        }
    }
    return best;
}

}  // namespace

QFont ResolveFont(const FontDesc& desc, const QPaintDevice* device) {
    QFont font;
    if (!desc.face.empty()) font.setFamily(AnsiToQString(desc.face));
    const int weight = desc.weight == 0 ? 400 : std::clamp(desc.weight, 1, 1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    font.setStrikeOut(desc.strikeout);
    if (desc.height > 0) {
        font.setPixelSize(PixelSizeForCell(font, std::min(desc.height, kMaxPixelSize), device));
    } else if (desc.height < 0) {
        font.setPixelSize(int(std::min<std::int64_t>(-std::int64_t(desc.height), kMaxPixelSize)));
    }
    return font;
}

}  // namespace dbx
