#pragma once

#include <array>

#include "color_ref.h"

class QPalette;

namespace dbx {

// Indices of the system colour table, numbered as the classic desktop numbers them.
enum SysColorIndex : int {
    kColorScrollBar = 0,
    kColorBackground = 1,
    kColorActiveCaption = 2,
    kColorInactiveCaption = 3,
    kColorMenu = 4,
    kColorWindow = 5,
    kColorWindowFrame = 6,
    kColorMenuText = 7,
    kColorWindowText = 8,
    kColorCaptionText = 9,
    kColorActiveBorder = 10,
    kColorInactiveBorder = 11,
    kColorAppWorkspace = 12,
    kColorHighlight = 13,
    kColorHighlightText = 14,
    kColorBtnFace = 15,
    kColorBtnShadow = 16,
    kColorGrayText = 17,
    kColorBtnText = 18,
    kColorInactiveCaptionText = 19,
    kColorBtnHighlight = 20,
    kColor3dDkShadow = 21,
    kColor3dLight = 22,
    kColorInfoText = 23,
    kColorInfoBk = 24,
    kColorHotLight = 26,
    kColorGradientActiveCaption = 27,
    kColorGradientInactiveCaption = 28,
    kColorMenuHilight = 29,
    kColorMenuBar = 30,
    kSysColorCount = 31,
};

class SystemColors {
  public:
    // The classic desktop scheme.
    static SystemColors Classic();
    // The roles a palette knows come from it; the rest keep their classic values.
    static SystemColors FromPalette(const QPalette& palette);

    // 0 for an index outside the table.
    ColorRef Get(int index) const;
    void Set(int index, ColorRef color);

  private:
    std::array<ColorRef, kSysColorCount> colors_{};
};

// The process-wide table: sampled from the application palette on first use, classic while no
// GUI application exists.
SystemColors CurrentSystemColors();
ColorRef GetSysColor(int index);
// Samples the table again, e.g. after the palette changed.
void RefreshSystemColors();

}  // namespace dbx
