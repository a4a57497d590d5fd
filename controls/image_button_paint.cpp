// Painting of CImageButton: background, flat edge, picture and caption.
#include <QPaintEvent>
#include <QPainter>

#include "device_context.h"
#include "image_button.h"
#include "system_colors.h"

namespace dbx {
namespace {

constexpr int kImageMargin = 3;

// The system's disabled look: the picture's ink in one colour, embossed (light one pixel right
// and down, then shadow in place). Ink is every pixel that is not background (`paper`) and not
// transparent.
void DrawEmbossed(QPainter& painter, const QRect& at, const QImage& image, QRgb paper) {
    QImage ink = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ink.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(ink.scanLine(y));
        for (int x = 0; x < ink.width(); ++x) {
            const bool isInk = qAlpha(line[x]) >= 128 && (line[x] & 0xFFFFFF) != (paper & 0xFFFFFF);
            line[x] = isInk ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
        }
    }
    const auto tinted = [&ink](ColorRef colour) {
        QImage copy = ink;
        QPainter p(&copy);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(copy.rect(), ToQColor(colour));
        return copy;
    };
    painter.drawImage(at.translated(1, 1), tinted(GetSysColor(kColorBtnHighlight)));
    painter.drawImage(at, tinted(GetSysColor(kColorBtnShadow)));
}

}  // namespace

const CImageButton::Picture* CImageButton::CurrentPicture() const {
    if (picture1_.IsNull()) return nullptr;
    if (!picture2_.IsNull() && !isDown() && !hovered_) return &picture2_;
    return &picture1_;
}

QRect CImageButton::ImageRect() const {
    const Picture* picture = CurrentPicture();
    if (!picture) return {};
    Rect text;
    return PlaceImage(picture->Size(), &text);
}

QRect CImageButton::PlaceImage(QSize size, Rect* textRect) const {
    const Rect r{0, 0, width(), height()};
    *textRect = r;
    const int w = size.width(), h = size.height();
    const bool captioned = !text().isEmpty();
    const int centredX = r.left + (r.Width() - w) / 2;
    const int centredY = r.top + (r.Height() - h) / 2;
    QPoint at;
    switch (placement_) {
        case kImageLeft:
            if (captioned) {
                at = {r.left + kImageMargin, centredY};
                textRect->left += kImageMargin + w;
            } else {
                at = {centredX, centredY};
            }
            break;
        case kImageAbove:
            if (captioned) {
                at = {centredX, kImageMargin};
                textRect->top += h;
            } else {
                at = {centredX, centredY};
            }
            break;
        case kImageRight:
            if (captioned) {
                textRect->right -= textRect->left + kImageMargin + w;
                textRect->left = kImageMargin;
                at = {r.right - kImageMargin - w, centredY};
            } else {
                at = {centredX, r.top};
            }
            break;
        default:
            at = {r.left, r.top};
            break;
    }
    if (isDown()) at += QPoint(1, 1);
    return QRect(at, size);
}

void CImageButton::paintEvent(QPaintEvent*) {
    DeviceContext dc(this);
    dc.SetBkMode(BkMode::Transparent);
    PaintBackground(dc);
    const Rect r{0, 0, width(), height()};
    if (isDown()) {
        dc.DrawEdge(r, kBorderSunkenOuter, kSideAll);
    } else if (hovered_) {
        dc.DrawEdge(r, kBorderRaisedInner, kSideAll);
    }
    Rect textRect = r;
    if (const Picture* picture = CurrentPicture()) {
        PaintPicture(dc, *picture, PlaceImage(picture->Size(), &textRect));
    }
    if (!text().isEmpty()) PaintCaption(dc, textRect);
    // The keyboard's place: a dotted frame inside the edge, once the keyboard moved it here.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QPainter& painter = dc.Painter();
        QPen pen(ToQColor(GetSysColor(kColorBtnText)), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(2, 2, width() - 5, height() - 5));
    }
}

void CImageButton::PaintBackground(DeviceContext& dc) {
    QWidget* parent = parentWidget();
    if (useParentBackground_ && parent) {
        if (backgroundCache_.isNull()) {
            const qreal ratio = devicePixelRatioF();
            QImage cache((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
            cache.setDevicePixelRatio(ratio);
            cache.fill(parent->palette().color(QPalette::Window));
            parent->render(&cache, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
            backgroundCache_ = cache;
        }
        dc.BitBlt(0, 0, width(), height(), backgroundCache_, 0, 0);
        return;
    }
    ColorRef back = colours_[kNormalBack];
    if (hovered_ || isDown()) {
        back = colours_[kHoverBack];
    } else if (hasFocus()) {
        back = colours_[kFocusBack];
    }
    dc.FillSolidRect({0, 0, width(), height()}, back);
}

void CImageButton::PaintPicture(DeviceContext& dc, const Picture& picture, const QRect& at) {
    QPainter& painter = dc.Painter();
    if (!picture.icon.isNull()) {
        if (isEnabled()) {
            painter.drawImage(at, picture.icon);
        } else {
            DrawEmbossed(painter, at, picture.icon, qRgba(0, 0, 0, 0));
        }
        return;
    }
    const KeyedBitmap& bitmap = picture.bitmap;
    if (isEnabled()) {
        dc.BitBlt(at.x(), at.y(), at.width(), at.height(), bitmap.mask, 0, 0, BltOp::SrcAnd);
        dc.BitBlt(at.x(), at.y(), at.width(), at.height(), bitmap.colour, 0, 0, BltOp::SrcPaint);
        return;
    }
    // The picture on white first, so the transparent part counts as paper.
    QImage paper(bitmap.colour.size(), QImage::Format_RGB32);
    paper.setDevicePixelRatio(bitmap.colour.devicePixelRatio());
    paper.fill(Qt::white);
    {
        DeviceContext scratch(&paper);
        const QSize size = picture.Size();
        scratch.BitBlt(0, 0, size.width(), size.height(), bitmap.mask, 0, 0, BltOp::SrcAnd);
        scratch.BitBlt(0, 0, size.width(), size.height(), bitmap.colour, 0, 0, BltOp::SrcPaint);
    }
    DrawEmbossed(painter, at, paper, qRgb(255, 255, 255));
}

void CImageButton::PaintCaption(DeviceContext& dc, Rect textRect) {
    if (isDown()) {
        textRect.left += 1;
        textRect.top += 1;
        textRect.right += 1;
        textRect.bottom += 1;
    }
    QPainter& painter = dc.Painter();
    painter.setFont(font());
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    const QRect box = textRect.ToQRect();
    if (!isEnabled()) {
        painter.setPen(ToQColor(GetSysColor(kColorBtnHighlight)));
        painter.drawText(box.translated(1, 1), flags, text());
        painter.setPen(ToQColor(GetSysColor(kColorBtnShadow)));
        painter.drawText(box, flags, text());
        return;
    }
    ColorRef colour = colours_[kNormalText];
    if (hovered_ || isDown()) {
        colour = colours_[kHoverText];
    } else if (hasFocus()) {
        colour = colours_[kFocusText];
    }
    painter.setPen(ToQColor(colour));
    painter.drawText(box, flags, text());
}

}  // namespace dbx
