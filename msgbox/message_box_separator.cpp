#include "message_box_separator.h"

#include <QFontMetrics>
#include <QPainter>

#include "message_box_layout.h"
#include "system_colors.h"

namespace dbx {
namespace {

void DrawLine(DeviceContext& dc, int y, int from, int to, int style) {
    if (to <= from) return;
    if (style == 1) {
        dc.DrawEdge(Rect{from, y, to, y + 2}, kEdgeEtched, kSideTop);
        return;
    }
    if (style != 2 && style != 3) return;
    const PenDesc previous = dc.SelectPen(PenDesc{PenStyle::Solid, 1, style == 2 ? 0u : 0xFFFFFFu});
    dc.MoveTo(from, y);
    dc.LineTo(to, y);
    dc.SelectPen(previous);
}

// The platform's disabled text: a highlight copy one pixel down and right under a shadow copy.
void DrawEmbossed(QPainter& painter, const QFont& font, const QRect& cell, const QString& text) {
    painter.save();
    painter.setFont(font);
    painter.setPen(ToQColor(GetSysColor(kColorBtnHighlight)));
    painter.drawText(cell.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
    painter.setPen(ToQColor(GetSysColor(kColorBtnShadow)));
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

}  // namespace

void DrawSeparator(DeviceContext& dc, const QFont& font, int y, int left, int right, int style,
                   int alignment, const QString& caption) {
    const int start = left + kSeparatorPadding;
    const int end = right - kSeparatorPadding;
    if (caption.isEmpty()) {
        DrawLine(dc, y, start, end, style);
        return;
    }
    const QFontMetrics metrics(font, dc.Painter().device());
    const int cx = metrics.horizontalAdvance(caption);
    const int cy = metrics.height();
    int x = start;
    if (alignment == 1) x = end - cx;
    if (alignment == 2) x = left + (right - left - cx) / 2;
    DrawEmbossed(dc.Painter(), font, QRect(x, y - cy / 2, cx + 1, cy), caption);
    if (alignment != 1) DrawLine(dc, y, x + cx + kSeparatorPadding, end, style);
    if (alignment != 0) DrawLine(dc, y, start, x - kSeparatorPadding, style);
}

}  // namespace dbx
