#include "link_button.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "bitmap_keying.h"
#include "device_context.h"
#include "resource_registry.h"

namespace dbx {

CLinkButton::CLinkButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setAutoDefault(false);
    setMouseTracking(true);
    // A child with a name, so that what watches the window can see it tick.
    hoverCheck_.setParent(this);
    hoverCheck_.setObjectName(QStringLiteral("hoverCheck"));
    hoverCheck_.setInterval(kHoverCheckMs);
    connect(&hoverCheck_, &QTimer::timeout, this, [this] { CheckPointer(); });
}

bool CLinkButton::SetFaceBitmap(int resourceId) {
    const ResourceRegistry& registry = ResourceRegistry::Instance();
    const QSize natural = registry.Image(resourceId).size();
    const qreal ratio = devicePixelRatioF();
    face_ = QImage();
    if (!natural.isEmpty()) {
        QImage image = registry.Image(resourceId, (QSizeF(natural) * ratio).toSize());
        image.setDevicePixelRatio(ratio);
        face_ = MapGreysToSystemColours(image);
        resize(FaceSize());
    }
    update();
    return true;
}

void CLinkButton::UseHandCursor(const QString& text) {
    if (text.isNull() || handCursor_) return;
    handCursor_ = true;
    setCursor(Qt::PointingHandCursor);
}

void CLinkButton::SetHint(const QString& text, bool activate) {
    if (text.isNull()) return;
    hint_ = text;
    hintActive_ = activate;
    setToolTip(activate ? text : QString());
    setAccessibleName(text);
}

void CLinkButton::paintEvent(QPaintEvent*) {
    DeviceContext dc(this);
    if (!face_.isNull()) {
        // The one face serves the pressed state too.
        const QSize size = FaceSize();
        dc.BitBlt(0, 0, size.width(), size.height(), face_, 0, 0);
        return;
    }
    // No picture: the text, drawn as a link, keeps the button usable.
    const QString shown = text().isEmpty() ? hint_ : text();
    QPainter& painter = dc.Painter();
    QFont font = this->font();
    font.setUnderline(true);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::Link));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, shown);
}

void CLinkButton::StartHover() {
    if (hovering_) return;
    hovering_ = true;
    hoverCheck_.start();
    update();
}

void CLinkButton::EndHover() {
    hoverCheck_.stop();
    if (!hovering_) return;
    hovering_ = false;
    update();
}

void CLinkButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    // A drag that started elsewhere does not make the link hot.
    if ((event->buttons() & Qt::LeftButton) && !hovering_) return;
    if (rect().contains(event->position().toPoint())) {
        StartHover();
    } else if (!(event->buttons() & Qt::LeftButton)) {
        EndHover();
    }
}

void CLinkButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) EndHover();
}

// A pointer that leaves fast may send no further move over the button; the timer notices.
void CLinkButton::CheckPointer() {
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) EndHover();
}

}  // namespace dbx
