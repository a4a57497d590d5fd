// Drawing of skinned menu items: background by case, separator, caption and icon.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>

#include "device_context.h"
#include "image_list.h"
#include "menu_skin.h"
#include "menu_skin_settings.h"
#include "shade_color.h"
#include "system_colors.h"

namespace dbx {
namespace {

constexpr int kShadowStrip = 4;
constexpr int kTwoToneColumn = 22;
constexpr int kCaptionLeft = 30;
constexpr int kAcceleratorRight = 12;
constexpr int kIconSize = 16;

// The 4-pixel strip right of an open menu-bar title, darkened towards its edge as a shadow.
void ShadeStrip(QImage& image, const Rect& r) {
    const int height = r.Height();
    for (int k = 0; k < kShadowStrip; ++k) {
        const int x = r.right - 1 - k;
        if (x < 0 || x >= image.width()) continue;
        for (int i = std::max(2 - k, 0); i < height - (k == 0 ? 2 : 1) - k; ++i) {
            const int y = r.top + 4 + i;
            if (y < 0 || y >= image.height()) break;  // the strip stays inside the item
            int d = k;
            if (i == 0) d = 0;
            if (i == 1) d = k >= 2 ? 1 : 0;
            if (i == 2) d = k >= 2 ? 2 : k;
            const int q = 93 - 5 * d;
            const QRgb p = image.pixel(x, y);
            image.setPixel(x, y, qRgb(qRed(p) * q / 100, qGreen(p) * q / 100, qBlue(p) * q / 100));
        }
    }
}

void FramedBox(DeviceContext& dc, const Rect& r, ColorRef frame, std::optional<ColorRef> fill) {
    dc.SelectPen({PenStyle::Solid, 1, frame});
    dc.SelectBrush(fill);
    dc.Rectangle(r);
}

QImage Silhouette(const QImage& icon, ColorRef colour) {
    QImage shape = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&shape);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(shape.rect(), ToQColor(colour));
    return shape;
}

}  // namespace

namespace {

// A tick in the picture column, for a ticked check item that has no picture.
void DrawCheckMark(QPainter& painter, const Rect& r, bool disabled) {
    const int x = r.left + 3;
    const int y = r.top + (r.Height() - kIconSize) / 2;
    QPen pen(ToQColor(disabled ? GetSysColor(kColorBtnShadow) : GetSysColor(kColorMenuText)));
    pen.setWidth(2);
    painter.save();
    painter.setPen(pen);
    painter.drawPolyline(
        QPolygon({QPoint(x + 3, y + 8), QPoint(x + 6, y + 11), QPoint(x + 12, y + 4)}));
    painter.restore();
}

}  // namespace

bool DrawSkinnedItem(const DrawItemRecord& record, QWidget* window) {
    (void)window;
    return DrawSkinnedItem(record, CurrentMenuSkinSettings());
}

bool DrawSkinnedItem(const DrawItemRecord& record, const MenuSkinSettings& settings) {
    if (record.type != RecordType::Menu || !record.painter || record.rect.isEmpty()) return false;
    const SkinItemInfo info = BuildSkinItemInfo(record.menu, record.item);
    const bool selected = record.state & kDrawSelected;
    const bool hot = record.state & kDrawHotLight;
    const bool inactive = record.state & kDrawInactive;
    const bool menuBarItem = (record.itemData & 0xFF) == 0;
    const bool disabled = info.IsDisabled();
    const bool deep = record.bitsPerPixel > 8;
    const ColorRef face = GetSysColor(kColorBtnFace);
    const ColorRef highlight = GetSysColor(kColorHighlight);

    QImage buffer(record.rect.size(), QImage::Format_RGB32);
    buffer.fill(Qt::white);
    const Rect r{0, 0, buffer.width(), buffer.height()};
    {
        DeviceContext dc(&buffer);
        const QFont font = QApplication::font(menuBarItem ? "QMenuBar" : "QMenu");
        dc.Painter().setFont(font);

        if (menuBarItem && selected) {
            FramedBox(dc, {r.left, r.top, r.right - kShadowStrip, r.bottom},
                      GetSysColor(kColor3dDkShadow), ShadeColor(face, 20, 0));
            dc.FillSolidRect({r.right - kShadowStrip, r.top, r.right, r.bottom}, face);
        } else if ((!menuBarItem && selected) || (hot && !inactive)) {
            const ColorRef fill =
                disabled ? ShadeColor(face, 73, 0) : ShadeColor(highlight, 70, -57);
            if (menuBarItem) {
                FramedBox(dc, {r.left, r.top, r.right - kShadowStrip, r.bottom}, highlight, fill);
                dc.FillSolidRect({r.right - kShadowStrip, r.top, r.right, r.bottom}, face);
            } else if (settings.showGradient && settings.showGradientSel && deep) {
                GradientFill(dc, r, disabled ? fill : settings.gradientStart, settings.gradientEnd);
                FramedBox(dc, r, highlight, std::nullopt);
            } else {
                FramedBox(dc, r, highlight, fill);
            }
        } else if (menuBarItem) {
            dc.FillSolidRect(r, face);
        } else if (settings.showGradient && deep) {
            const int column = std::clamp(settings.gradientWidth, 0, r.Width());
            GradientFill(dc, {r.left, r.top, r.left + column, r.bottom}, settings.gradientStart,
                         settings.gradientEnd);
            dc.FillSolidRect({r.left + column, r.top, r.right, r.bottom}, settings.gradientEnd);
        } else {
            const int column = std::min(kTwoToneColumn, r.Width());
            dc.FillSolidRect({r.left, r.top, r.left + column, r.bottom}, ShadeColor(face, 20, 0));
            dc.FillSolidRect({r.left + column, r.top, r.right, r.bottom}, ShadeColor(face, 75, 0));
        }
    }
    if (menuBarItem && selected) ShadeStrip(buffer, r);

    // The background goes through the buffer; texts and pictures are drawn on the menu itself,
    // so that what an item says can be read back from the menu's own painter.
    QPainter& painter = *record.painter;
    painter.save();
    painter.drawImage(record.rect.topLeft(), buffer);
    painter.translate(record.rect.topLeft());
    painter.setClipRect(QRect(0, 0, buffer.width(), buffer.height()), Qt::IntersectClip);
    if (info.IsSeparator()) {
        const int y = r.top + r.Height() / 2;
        painter.fillRect(QRect(r.left + kCaptionLeft, y, r.Width() - kCaptionLeft - 1, 1),
                         ToQColor(ShadeColor(face, -18, 0)));
    } else {
        const QString caption = info.CaptionText();
        if (!caption.isEmpty()) {
            ColorRef colour = GetSysColor(kColorMenuText);
            if (inactive) {
                colour = GetSysColor(kColorBtnShadow);
            } else if (disabled) {
                colour = ShadeColor(face, -18, 0);
            }
            painter.setPen(ToQColor(colour));
            // Keyboard cues count as on, so mnemonics are always underlined.
            const int single = Qt::TextSingleLine | Qt::TextShowMnemonic;
            if (menuBarItem) {
                painter.setFont(QApplication::font("QMenuBar"));
                painter.drawText(QRect(r.left, r.top, r.Width() - kShadowStrip, r.Height()),
                                 single | Qt::AlignCenter, caption);
            } else {
                QFont font = QApplication::font("QMenu");
                if (info.IsDefault()) font.setWeight(QFont::Bold);
                painter.setFont(font);
                painter.drawText(
                    QRect(r.left + kCaptionLeft, r.top, r.Width() - kCaptionLeft, r.Height()),
                    single | Qt::AlignLeft | Qt::AlignVCenter, caption);
                painter.drawText(QRect(r.left, r.top, r.Width() - kAcceleratorRight, r.Height()),
                                 single | Qt::AlignRight | Qt::AlignVCenter,
                                 info.AcceleratorText());
            }
        }
        if (!menuBarItem && !info.HasImage() && info.IsChecked())
            DrawCheckMark(painter, r, disabled);
        if (!menuBarItem && info.HasImage()) {
            const QImage icon = info.imageList->Image(info.imageIndex);
            if (!icon.isNull()) {
                if (disabled || selected) {
                    const bool lifted = selected && !disabled;
                    const int d = lifted ? 4 : 3;
                    const ColorRef shade =
                        lifted ? ShadeColor(highlight, 50, -66) : ShadeColor(face, -27, 0);
                    painter.drawImage(QRect(r.left + d, r.top + d, kIconSize, kIconSize),
                                      Silhouette(icon, shade));
                }
                if (!disabled) {
                    const int at = selected ? 2 : 3;
                    painter.drawImage(QRect(r.left + at, r.top + at, kIconSize, kIconSize), icon);
                }
            }
        }
    }
    painter.restore();
    return true;
}

}  // namespace dbx
