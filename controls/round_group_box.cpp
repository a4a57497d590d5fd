#include "round_group_box.h"

#include <QFontInfo>
#include <QPaintEvent>

#include "device_context.h"
#include "system_colors.h"

namespace dbx {
namespace {

FontDesc DescribeFont(const QFont& font) {
    FontDesc desc;
    desc.height = -QFontInfo(font).pixelSize();
    desc.weight = font.weight() >= QFont::Bold ? 700 : 400;
    desc.italic = font.italic();
    desc.underline = font.underline();
    desc.strikeout = font.strikeOut();
    desc.face = font.family().toLatin1().toStdString();
    return desc;
}

}  // namespace

CRoundGroupBox::CRoundGroupBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent),
      borderColour_(GetSysColor(kColorBtnShadow)),
      captionBackColour_(GetSysColor(kColorBtnFace)),
      fontDescription_(DescribeFont(font())) {}

QString CRoundGroupBox::Caption() const {
    return title().isEmpty() ? QString() : QLatin1Char(' ') + title() + QLatin1Char(' ');
}

Rect CRoundGroupBox::CaptionRect() const {
    // Measured with the caption font, as the painting does; a scratch image stands in for the
    // screen.
    QImage scratch(1, 1, QImage::Format_RGB32);
    DeviceContext dc(&scratch);
    dc.SelectFont(fontDescription_);
    const QString caption = Caption();
    const QSize extent = caption.isEmpty() ? QSize() : dc.TextExtent(caption);
    const int left = 1 + kCaptionIndent, top = 1;
    return {left, top, left + extent.width(), top + extent.height()};
}

void CRoundGroupBox::paintEvent(QPaintEvent*) {
    const Rect caption = CaptionRect();
    DeviceContext dc(this);
    dc.SelectFont(fontDescription_);
    const Rect r{1, 1, width() - 1, height() - 1};
    const int h = caption.Height();
    dc.SelectPen({PenStyle::Solid, 1, borderColour_});
    dc.SelectBrush(std::nullopt);
    // The frame's top edge runs through the middle of the caption.
    dc.RoundRect({r.left, r.top + h / 2, r.right, r.bottom}, kCornerEllipse, kCornerEllipse);
    if (caption.IsEmpty()) return;
    dc.IntersectClipRect(caption);
    dc.FillSolidRect(caption, captionBackColour_);
    dc.SetTextColor(captionTextColour_);
    dc.SetBkMode(BkMode::Transparent);
    dc.TextOut(caption.left, caption.top, Caption());
}

}  // namespace dbx
