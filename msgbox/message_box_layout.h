#pragma once

#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

namespace dbx {

// Layout constants of the box, in pixels.
inline constexpr int kSeparatorPadding = 5;
inline constexpr int kTextMarginX = 14;
inline constexpr int kTextMarginY = 14;
inline constexpr int kCheckBoxLeft = 10;
inline constexpr int kCheckBoxSize = 13;
inline constexpr int kCheckBoxLabelGap = 6;
inline constexpr int kButtonGap = 11;
inline constexpr int kButtonBandMargin = 11;
inline constexpr int kMinButtonWidth = 80;
inline constexpr int kMinButtonHeight = 23;
inline constexpr int kCaptionMargin = 16;
inline constexpr int kMinTitleBarButton = 16;
// The screen size assumed when there is no screen at all.
inline constexpr int kFallbackScreenWidth = 1024;
inline constexpr int kFallbackScreenHeight = 768;

// What the box measured; null for texts it does not have (texts that are there count even
// when they measure 0 x 0).
struct BoxMeasures {
    int headerMinimum = 0;  // the header height option; 0: no header band
    std::optional<QSize> headerText;
    std::optional<QSize> headerCaption;  // only with a header separator
    std::optional<QSize> bodyText;
    std::optional<QSize> moreText;
    bool buttonsBackground = false;       // the button band has an effect or a separator
    std::optional<QSize> buttonsCaption;  // only with a buttons separator
    bool checkBox = false;
    QSize checkBoxLabel;
    std::vector<QSize> buttonLabels;  // text extents, in creation order
    int captionWidth = 0;             // what the title bar needs: caption, icon and its buttons
};

struct BoxLayout {
    int headerHeight = 0;
    int bodyHeight = 0;
    int buttonBandHeight = 0;
    int moreHeight = 0;
    QSize button;  // every button's size
    int clientWidth = 0;
    int clientHeight = 0;  // with the details area closed
};

// A label's text extent grown to a button: 80/45 wide, 23/13 high, rounded as MulDiv rounds.
QSize ScaleButtonLabel(QSize extent);

BoxLayout ComputeBoxLayout(const BoxMeasures& measures);

// The layout held to `limit` (what the screen can show): content wider than that is cut at the
// right edge; of a box too tall the body loses its bottom first, then the header, while the
// button band keeps its height; the details area gets at most the room left below.
BoxLayout CapBoxLayout(BoxLayout layout, QSize limit);

// Button rectangles in creation order for `count` buttons in `client`; alignment 0 left,
// 1 right, anything else centred.
std::vector<QRect> PlaceButtons(const QRect& client, int count, QSize button, int alignment,
                                bool checkBoxBelow);

struct CheckBoxPlacement {
    QRect box;
    QRect label;
};
// A label taller than the check box is centred on it, so that large message fonts are not cut.
CheckBoxPlacement PlaceCheckBox(const QRect& client, QSize labelSize, int buttonHeight, bool below);

}  // namespace dbx
