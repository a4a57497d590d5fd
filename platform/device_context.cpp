#include "device_context.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "system_colors.h"

namespace dbx {
namespace {

QPainter::CompositionMode ModeOf(Rop2 op) {
    return op == Rop2::NotXorPen ? QPainter::RasterOp_NotSourceXorDestination
                                 : QPainter::CompositionMode_SourceOver;
}

Qt::PenStyle QtStyleOf(PenStyle style) {
    switch (style) {
        case PenStyle::Dash:
            return Qt::DashLine;
        case PenStyle::Dot:
            return Qt::DotLine;
        case PenStyle::Null:
            return Qt::NoPen;
        case PenStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Sets a composition mode for the lifetime of the guard.
class CompositionGuard {
  public:
    CompositionGuard(QPainter& p, QPainter::CompositionMode mode) : p_(p) {
        p_.setCompositionMode(mode);
    }
    ~CompositionGuard() { p_.setCompositionMode(QPainter::CompositionMode_SourceOver); }
    CompositionGuard(const CompositionGuard&) = delete;
    CompositionGuard& operator=(const CompositionGuard&) = delete;

  private:
    QPainter& p_;
};

}  // namespace

DeviceContext::DeviceContext(QPaintDevice* device)
    : ownPainter_(std::make_unique<QPainter>(device)),
      painter_(ownPainter_.get()),
      device_(device) {
    Init();
}

DeviceContext::DeviceContext(QPainter& painter) : painter_(&painter), device_(painter.device()) {
    painter_->save();
    Init();
}

DeviceContext::~DeviceContext() {
    if (!ownPainter_) painter_->restore();
}

void DeviceContext::Init() {
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    font_ = ResolveFont(fontDesc_, device_);
}

int DeviceContext::PixelsPerInchY() const {
    return device_ != nullptr ? device_->logicalDpiY() : 96;
}

FontDesc DeviceContext::SelectFont(const FontDesc& font) {
    FontDesc previous = fontDesc_;
    if (!(font == fontDesc_)) {
        fontDesc_ = font;
        font_ = ResolveFont(fontDesc_, device_);
    }
    return previous;
}

TextMetrics DeviceContext::GetTextMetrics() const {
    const QFontMetrics fm(font_, device_);
    TextMetrics m;
    m.ascent = fm.ascent();
    m.descent = fm.descent();
    m.height = m.ascent + m.descent;
    m.xHeight = fm.xHeight();
    m.averageCharWidth = fm.averageCharWidth();
    return m;
}

QSize DeviceContext::TextExtent(const QString& text) const {
    const QFontMetrics fm(font_, device_);
    return QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent());
}

ColorRef DeviceContext::SetTextColor(ColorRef color) {
    return std::exchange(textColor_, color & 0xFFFFFF);
}

ColorRef DeviceContext::SetBkColor(ColorRef color) {
    return std::exchange(bkColor_, color & 0xFFFFFF);
}

BkMode DeviceContext::SetBkMode(BkMode mode) {
    return std::exchange(bkMode_, mode);
}

int DeviceContext::TextOut(int x, int y, const QString& text) {
    const QFontMetrics fm(font_, device_);
    painter_->setFont(font_);
    painter_->setPen(ToQColor(textColor_));
    const int height = fm.ascent() + fm.descent();
    const bool justified = justifyBreaks_ > 0 && justifyExtra_ > 0 && text.contains(u' ');
    if (!justified) {
        const int width = fm.horizontalAdvance(text);
        if (bkMode_ == BkMode::Opaque) {
            painter_->fillRect(QRect(x, y, width, height), ToQColor(bkColor_));
        }
        painter_->drawText(QPoint(x, y + fm.ascent()), text);
        return width;
    }
    // Word by word, each space widened by its share of what is left of the extra pixels. Words
    // are placed by the advance of the whole text before them, so rounding does not add up.
    int added = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype space = text.indexOf(u' ', start);
        if (space < 0) space = text.size();
        const int left = x + fm.horizontalAdvance(text.left(start)) + added;
        if (space < text.size() && justifyBreaks_ > 0) {
            const int share = justifyExtra_ / justifyBreaks_;
            justifyExtra_ -= share;
            --justifyBreaks_;
            added += share;
        }
        const int right =
            x + fm.horizontalAdvance(text.left(std::min(space + 1, text.size()))) + added;
        if (bkMode_ == BkMode::Opaque) {
            painter_->fillRect(QRect(left, y, right - left, height), ToQColor(bkColor_));
        }
        if (space > start)
            painter_->drawText(QPoint(left, y + fm.ascent()), text.mid(start, space - start));
        start = space + 1;
    }
    return fm.horizontalAdvance(text) + added;
}

void DeviceContext::SetTextJustification(int extra, int breakCount) {
    justifyExtra_ = std::max(0, extra);
    justifyBreaks_ = std::max(0, breakCount);
}

void DeviceContext::FillSolidRect(const Rect& rect, ColorRef color) {
    if (rect.IsEmpty()) return;
    painter_->fillRect(rect.ToQRect(), ToQColor(color));
}

void DeviceContext::FillWithRop(const Rect& rect, ColorRef color) {
    if (rect.IsEmpty()) return;
    CompositionGuard guard(*painter_, ModeOf(rop_));
    painter_->fillRect(rect.ToQRect(), ToQColor(color));
}

PenDesc DeviceContext::SelectPen(const PenDesc& pen) {
    return std::exchange(pen_, pen);
}

std::optional<ColorRef> DeviceContext::SelectBrush(std::optional<ColorRef> color) {
    return std::exchange(brush_, color);
}

Rop2 DeviceContext::SetRop2(Rop2 op) {
    return std::exchange(rop_, op);
}

void DeviceContext::MoveTo(int x, int y) {
    position_ = QPoint(x, y);
}

void DeviceContext::LineTo(int x, int y) {
    DrawPenLine(position_, QPoint(x, y));
    position_ = QPoint(x, y);
}

void DeviceContext::DrawPenLine(QPoint from, QPoint to) {
    if (pen_.style == PenStyle::Null || from == to) return;
    const int width = std::max(1, pen_.width);
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    if (pen_.style == PenStyle::Solid && (dx == 0 || dy == 0)) {
        // Straight solid lines as exact pixel bands, centred on the line.
        const int offset = -(width / 2);
        const QPoint last(to.x() - Sign(dx), to.y() - Sign(dy));
        if (dy == 0) {
            FillWithRop({std::min(from.x(), last.x()), from.y() + offset,
                         std::max(from.x(), last.x()) + 1, from.y() + offset + width},
                        pen_.color);
        } else {
            FillWithRop({from.x() + offset, std::min(from.y(), last.y()), from.x() + offset + width,
                         std::max(from.y(), last.y()) + 1},
                        pen_.color);
        }
        return;
    }
    CompositionGuard guard(*painter_, ModeOf(rop_));
    painter_->setBrush(Qt::NoBrush);
    if (width > 1) {
        painter_->setPen(
            QPen(ToQColor(pen_.color), width, QtStyleOf(pen_.style), Qt::FlatCap, Qt::MiterJoin));
        painter_->drawLine(from, to);
        return;
    }
    // Thin lines are drawn with both ends to the point before the last one on the line.
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const auto towards = [&](int start, int delta) {
        return start + int(std::lround(double(delta) * (steps - 1) / steps));
    };
    const QPoint last(towards(from.x(), dx), towards(from.y(), dy));
    painter_->setPen(
        QPen(ToQColor(pen_.color), 1, QtStyleOf(pen_.style), Qt::SquareCap, Qt::MiterJoin));
    painter_->drawLine(from, last);
}

void DeviceContext::Rectangle(const Rect& rect) {
    if (rect.IsEmpty()) return;
    const bool framed = pen_.style != PenStyle::Null;
    const int w = framed ? std::clamp(pen_.width, 1, std::min(rect.Width(), rect.Height())) : 0;
    if (brush_)
        FillWithRop({rect.left + w, rect.top + w, rect.right - w, rect.bottom - w}, *brush_);
    if (!framed) return;
    if (pen_.style == PenStyle::Solid) {
        // The four bands do not overlap, so a NOT-XOR frame leaves no marks at the corners.
        const int innerTop = rect.top + w;
        const int innerBottom = std::max(innerTop, rect.bottom - w);
        FillWithRop({rect.left, rect.top, rect.right, innerTop}, pen_.color);
        FillWithRop({rect.left, innerBottom, rect.right, rect.bottom}, pen_.color);
        FillWithRop({rect.left, innerTop, rect.left + w, innerBottom}, pen_.color);
        FillWithRop({std::max(rect.left + w, rect.right - w), innerTop, rect.right, innerBottom},
                    pen_.color);
        return;
    }
    CompositionGuard guard(*painter_, ModeOf(rop_));
    painter_->setPen(
        QPen(ToQColor(pen_.color), w, QtStyleOf(pen_.style), Qt::FlatCap, Qt::MiterJoin));
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRect(rect.left + (w - 1) / 2, rect.top + (w - 1) / 2, rect.Width() - w,
                             rect.Height() - w));
}

void DeviceContext::RoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight) {
    if (rect.IsEmpty()) return;
    const bool framed = pen_.style != PenStyle::Null;
    const int w = framed ? std::clamp(pen_.width, 1, std::min(rect.Width(), rect.Height())) : 1;
    CompositionGuard guard(*painter_, ModeOf(rop_));
    if (framed) {
        painter_->setPen(
            QPen(ToQColor(pen_.color), w, QtStyleOf(pen_.style), Qt::FlatCap, Qt::MiterJoin));
    } else {
        painter_->setPen(Qt::NoPen);
    }
    painter_->setBrush(brush_ ? QBrush(ToQColor(*brush_)) : QBrush(Qt::NoBrush));
    painter_->drawRoundedRect(
        QRect(rect.left + (w - 1) / 2, rect.top + (w - 1) / 2, rect.Width() - w, rect.Height() - w),
        ellipseWidth / 2.0, ellipseHeight / 2.0);
}

void DeviceContext::DrawBorder(const Rect& r, unsigned sides, ColorRef topLeft,
                               ColorRef bottomRight) {
    // Top and left first, so the bottom-right colour takes the two shared corners.
    if (sides & kSideTop) FillSolidRect({r.left, r.top, r.right, r.top + 1}, topLeft);
    if (sides & kSideLeft) FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, topLeft);
    if (sides & kSideRight) FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    if (sides & kSideBottom) FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void DeviceContext::DrawEdge(const Rect& rect, unsigned borders, unsigned sides) {
    const SystemColors colors = CurrentSystemColors();
    struct Layer {
        unsigned raised, sunken;
        int raisedTopLeft, raisedBottomRight, sunkenTopLeft, sunkenBottomRight;
    };
    const Layer layers[] = {
        {kBorderRaisedOuter, kBorderSunkenOuter, kColor3dLight, kColor3dDkShadow, kColorBtnShadow,
         kColorBtnHighlight},
        {kBorderRaisedInner, kBorderSunkenInner, kColorBtnHighlight, kColorBtnShadow,
         kColor3dDkShadow, kColor3dLight},
    };
    Rect r = rect;
    for (const Layer& layer : layers) {
        if (r.IsEmpty()) return;
        int tl, br;
        if (borders & layer.raised) {
            tl = layer.raisedTopLeft;
            br = layer.raisedBottomRight;
        } else if (borders & layer.sunken) {
            tl = layer.sunkenTopLeft;
            br = layer.sunkenBottomRight;
        } else {
            continue;
        }
        DrawBorder(r, sides, colors.Get(tl), colors.Get(br));
        if (sides & kSideLeft) ++r.left;
        if (sides & kSideTop) ++r.top;
        if (sides & kSideRight) --r.right;
        if (sides & kSideBottom) --r.bottom;
    }
    if (sides & kSideMiddle) FillSolidRect(r, colors.Get(kColorBtnFace));
}

void DeviceContext::DrawImage(int x, int y, const QImage& image) {
    CompositionGuard guard(*painter_, QPainter::CompositionMode_Source);
    painter_->drawImage(QPoint(x, y), image);
}

void DeviceContext::BitBlt(int x, int y, int width, int height, const QImage& source, int sourceX,
                           int sourceY, BltOp op) {
    if (width <= 0 || height <= 0) return;
    QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
    if (op == BltOp::SrcAnd) mode = QPainter::RasterOp_SourceAndDestination;
    if (op == BltOp::SrcPaint) mode = QPainter::RasterOp_SourceOrDestination;
    CompositionGuard guard(*painter_, mode);
    const qreal ratio = source.devicePixelRatio();
    painter_->drawImage(QRectF(x, y, width, height), source,
                        QRectF(sourceX * ratio, sourceY * ratio, width * ratio, height * ratio));
}

void DeviceContext::StretchImage(const Rect& target, const QImage& source) {
    if (target.IsEmpty()) return;
    CompositionGuard guard(*painter_, QPainter::CompositionMode_Source);
    painter_->drawImage(target.ToQRect(), source);
}

void DeviceContext::IntersectClipRect(const Rect& rect) {
    painter_->setClipRect(rect.ToQRect(),
                          painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

}  // namespace dbx
