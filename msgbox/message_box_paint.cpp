// How the box paints itself: a background composed once, then the three texts on top.
#include <QPaintEvent>
#include <QPainter>

#include "ansi_codepage.h"
#include "message_box_dialog.h"
#include "message_box_separator.h"
#include "system_colors.h"

namespace dbx {

// As tall as the box with its details area open, so that opening it needs no new background.
QImage MessageBoxDialog::ComposeBackground() {
    const int width = std::max(1, layout_.clientWidth);
    const int total = std::max(1, layout_.clientHeight + layout_.moreHeight);
    QImage image(width, total, QImage::Format_RGB32);
    DeviceContext dc(&image);
    MarkupRenderer& painter = renderers_[kBody];
    const auto paintArea = [&](const AreaStyle& area, const Rect& rect) {
        if (area.backgroundEffect >= 0) {
            painter.PaintEffect(dc, area.backgroundEffect, rect, area.color1, area.color2,
                                area.color3, 0);
        }
    };
    const auto separator = [&](const AreaStyle& area, int y, const std::string& caption) {
        DrawSeparator(dc, font_, y, 0, width, area.separatorStyle, area.separatorCaptionAlignment,
                      AnsiToQString(caption));
    };

    const Rect whole{0, 0, width, total};
    if (options_.windowArea.backgroundEffect >= 0) {
        paintArea(options_.windowArea, whole);
    } else {
        dc.FillSolidRect(whole, GetSysColor(kColorBtnFace));
    }
    const int header = layout_.headerHeight;
    if (header != 0) {
        paintArea(options_.headerArea, Rect{0, 0, width, header});
        separator(options_.headerArea, header, content_.headerSeparatorCaption);
    }
    const int bandTop = header + layout_.bodyHeight;
    const int bandBottom = bandTop + layout_.buttonBandHeight;
    paintArea(options_.buttonsArea, Rect{0, bandTop, width, bandBottom});
    separator(options_.buttonsArea, bandTop, content_.buttonsSeparatorCaption);
    if (layout_.moreHeight != 0) {
        paintArea(options_.moreArea, Rect{0, bandBottom, width, total});
        separator(options_.moreArea, bandBottom, content_.moreSeparatorCaption);
    }
    return image;
}

void MessageBoxDialog::PaintTexts(QImage& frame) {
    DeviceContext dc(&frame);
    const int width = frame.width();
    const int header = layout_.headerHeight;
    // A text cut to fit the screen stays inside its own band.
    const auto draw = [&](Area area, const Rect& rect, int bandTop, int bandBottom) {
        dc.Painter().setClipRect(QRect(0, bandTop, width, std::max(0, bandBottom - bandTop)));
        renderers_[area].Draw(dc, rect);
    };
    if (header != 0) {
        draw(kHeader, Rect{kTextMarginX, kTextMarginY, width - kTextMarginX, header - kTextMarginY},
             0, header);
    }
    draw(kBody,
         Rect{kTextMarginX, header + kTextMarginY, width - kTextMarginX,
              header + layout_.bodyHeight - kTextMarginY},
         header, header + layout_.bodyHeight);
    if (moreOpen_) {
        const int bottom = frame.height();
        draw(kMore,
             Rect{kTextMarginX, bottom - layout_.moreHeight + kTextMarginY, width - kTextMarginX,
                  bottom},
             bottom - layout_.moreHeight, bottom);
    }
    dc.Painter().setClipping(false);
}

QImage MessageBoxDialog::PaintFrame() {
    if (background_.isNull()) background_ = ComposeBackground();
    QImage frame(size(), QImage::Format_RGB32);
    {
        QPainter painter(&frame);
        painter.drawImage(0, 0, background_);
    }
    PaintTexts(frame);
    return frame;
}

void MessageBoxDialog::paintEvent(QPaintEvent* event) {
    const QImage frame = PaintFrame();
    QPainter painter(this);
    painter.drawImage(event->rect(), frame, event->rect());
}

}  // namespace dbx
