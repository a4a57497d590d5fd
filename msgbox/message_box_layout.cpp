#include "message_box_layout.h"

#include <algorithm>

#include "mul_div.h"

namespace dbx {

QSize ScaleButtonLabel(QSize extent) {
    return QSize(MulDiv(extent.width(), 80, 45), MulDiv(extent.height(), 23, 13));
}

BoxLayout ComputeBoxLayout(const BoxMeasures& m) {
    BoxLayout layout;
    int width = 0;
    const auto candidate = [&width](int w) { width = std::max(width, w); };

    if (m.headerMinimum != 0) {
        layout.headerHeight = m.headerMinimum;
        if (m.headerText) {
            candidate(m.headerText->width() + 2 * kTextMarginX);
            layout.headerHeight =
                std::max(m.headerMinimum, m.headerText->height() + 2 * kTextMarginY);
        }
        if (m.headerCaption) candidate(m.headerCaption->width() + 2 * kSeparatorPadding);
    }
    if (m.bodyText) {
        layout.bodyHeight = m.bodyText->height() + 2 * kTextMarginY;
        candidate(m.bodyText->width() + 2 * kTextMarginX);
    }
    if (m.moreText) {
        layout.moreHeight = m.moreText->height() + 2 * kTextMarginY;
        candidate(m.moreText->width() + 2 * kTextMarginX);
    }

    layout.buttonBandHeight = m.buttonsBackground ? 2 * kButtonBandMargin : kButtonBandMargin;
    if (m.buttonsCaption) candidate(m.buttonsCaption->width() + 2 * kSeparatorPadding);
    if (m.checkBox) {
        layout.buttonBandHeight += kCheckBoxSize + kButtonBandMargin;
        candidate(m.checkBoxLabel.width() + 2 * kCheckBoxLeft + 20);
    }

    QSize button(0, 0);
    for (QSize label : m.buttonLabels) button = button.expandedTo(ScaleButtonLabel(label));
    button = button.expandedTo(QSize(kMinButtonWidth, kMinButtonHeight));
    layout.button = button;
    const int count = int(m.buttonLabels.size());
    candidate(kButtonGap + count * (kButtonGap + button.width()));
    layout.buttonBandHeight += button.height();
    candidate(m.captionWidth);

    layout.clientWidth = width;
    layout.clientHeight = layout.headerHeight + layout.bodyHeight + layout.buttonBandHeight;
    return layout;
}

BoxLayout CapBoxLayout(BoxLayout layout, QSize limit) {
    const int maxWidth = std::max(1, limit.width());
    const int maxHeight = std::max(1, limit.height());
    layout.clientWidth = std::min(layout.clientWidth, maxWidth);
    int excess = layout.clientHeight - maxHeight;
    const auto shrink = [&excess](int& height) {
        const int cut = std::clamp(excess, 0, height);
        height -= cut;
        excess -= cut;
    };
    shrink(layout.bodyHeight);
    shrink(layout.headerHeight);
    layout.clientHeight = layout.headerHeight + layout.bodyHeight + layout.buttonBandHeight;
    layout.moreHeight = std::min(layout.moreHeight, std::max(0, maxHeight - layout.clientHeight));
    return layout;
}

std::vector<QRect> PlaceButtons(const QRect& client, int count, QSize button, int alignment,
                                bool checkBoxBelow) {
    const int bottom = client.y() + client.height();
    int y = bottom - kButtonBandMargin - button.height();
    if (checkBoxBelow) y -= kCheckBoxSize + kButtonBandMargin;
    const int total = count * (kButtonGap + button.width()) - kButtonGap;
    const int right = client.x() + client.width();
    int x = alignment == 0   ? client.x() + kButtonGap
            : alignment == 1 ? right - kButtonGap - total
                             : client.x() + (client.width() - total) / 2;
    std::vector<QRect> rects;
    for (int i = 0; i < count; ++i) {
        rects.emplace_back(QPoint(x, y), button);
        x += button.width() + kButtonGap;
    }
    return rects;
}

CheckBoxPlacement PlaceCheckBox(const QRect& client, QSize labelSize, int buttonHeight,
                                bool below) {
    const int bottom = client.y() + client.height();
    const int lineBottom =
        below ? bottom - kButtonBandMargin : bottom - 2 * kButtonBandMargin - buttonHeight;
    const int top = lineBottom - kCheckBoxSize;
    CheckBoxPlacement placement;
    placement.box = QRect(client.x() + kCheckBoxLeft, top, kCheckBoxSize, kCheckBoxSize);
    const int labelTop = top - std::max(0, labelSize.height() - kCheckBoxSize) / 2;
    placement.label =
        QRect(QPoint(client.x() + kCheckBoxLeft + kCheckBoxSize + kCheckBoxLabelGap, labelTop),
              labelSize);
    return placement;
}

}  // namespace dbx
