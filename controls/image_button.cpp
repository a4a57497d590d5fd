#include "image_button.h"

#include <QCursor>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

#include "resource_registry.h"
#include "system_colors.h"

namespace dbx {
namespace {

// An icon from the resources at `width` x `height` (0 x 0: its own size), drawn for the
// screen's pixel density.
QImage LoadIcon(int id, int width, int height, qreal ratio) {
    QSize size(width, height);
    if (size.isEmpty()) {
        size = ResourceRegistry::Instance().Image(id).size();
        if (size.isEmpty()) return {};
    }
    QImage image = ResourceRegistry::Instance().Image(id, (QSizeF(size) * ratio).toSize());
    if (image.isNull()) return image;
    image.setDevicePixelRatio(ratio);
    return image;
}

}  // namespace

QSize CImageButton::Picture::Size() const {
    const QImage& image = icon.isNull() ? bitmap.colour : icon;
    return image.deviceIndependentSize().toSize();
}

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
    Init();
}

CImageButton::CImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    Init();
}

void CImageButton::Init() {
    setFlat(true);
    setAutoDefault(false);
    setMouseTracking(true);
    ResetColours();
    // A child with a name, so that what watches the window can see it tick.
    hoverCheck_.setParent(this);
    hoverCheck_.setObjectName(QStringLiteral("hoverCheck"));
    hoverCheck_.setInterval(kHoverCheckMs);
    connect(&hoverCheck_, &QTimer::timeout, this, [this] {
        if (!rect().contains(mapFromGlobal(QCursor::pos()))) EndHover();
    });
}

void CImageButton::ResetColours() {
    const ColorRef face = GetSysColor(kColorBtnFace);
    const ColorRef text = GetSysColor(kColorBtnText);
    colours_ = {face, text, face, text, face, text};
}

void CImageButton::ClearImages() {
    picture1_ = {};
    picture2_ = {};
}

bool CImageButton::HasImage() const {
    return !picture1_.IsNull();
}

int CImageButton::AssignIcons(int icon1, int width1, int height1, int icon2, int width2,
                              int height2) {
    ClearImages();
    const qreal ratio = devicePixelRatioF();
    Picture first{LoadIcon(icon1, width1, height1, ratio), {}};
    Picture second;
    if (icon2 != 0) second.icon = LoadIcon(icon2, width2, height2, ratio);
    const bool failed = first.IsNull() || (icon2 != 0 && second.IsNull());
    if (!failed) {
        picture1_ = std::move(first);
        picture2_ = std::move(second);
    }
    update();
    return failed ? kNoImageSize : kOk;
}

int CImageButton::AssignBitmaps(const QImage& bitmap1, ColorRef transparent1, const QImage& bitmap2,
                                ColorRef transparent2) {
    ClearImages();
    update();
    if (bitmap1.isNull()) return kOk;
    Picture first{{}, KeyBitmap(bitmap1, transparent1)};
    if (first.Size().isEmpty()) return kNoImageSize;
    if (first.bitmap.mask.isNull()) return kNoMask;
    Picture second;
    if (!bitmap2.isNull()) {
        second.bitmap = KeyBitmap(bitmap2, transparent2);
        if (second.Size().isEmpty()) return kNoImageSize;
        if (second.bitmap.mask.isNull()) return kNoMask;
    }
    picture1_ = std::move(first);
    picture2_ = std::move(second);
    return kOk;
}

int CImageButton::SetImagePlacement(int placement, bool repaint) {
    if (placement < kImageLeft || placement > kImageTopLeft) return kBadPlacement;
    placement_ = placement;
    if (repaint) update();
    return kOk;
}

int CImageButton::SetStateColour(int index, ColorRef colour, bool repaint) {
    if (index < 0 || index >= int(colours_.size())) return kBadColourIndex;
    colours_[index] = colour & 0xFFFFFF;
    if (repaint) update();
    return kOk;
}

int CImageButton::ShiftStateColour(int index, int shift, bool repaint) {
    if (index < 0 || index >= int(colours_.size())) return kBadColourIndex;
    if (shift < -255 || shift > 255) return kBadShift;
    const ColorRef c = colours_[index];
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    // One shift for all three channels keeps the hue.
    const int applied =
        shift > 0 ? std::min({shift, 255 - r, 255 - g, 255 - b}) : std::max({shift, -r, -g, -b});
    colours_[index] = MakeColorRef(r + applied, g + applied, b + applied);
    if (repaint) update();
    return kOk;
}

ColorRef CImageButton::StateColour(int index) const {
    return index >= 0 && index < int(colours_.size()) ? colours_[index] : 0;
}

void CImageButton::UseParentBackground(bool repaint) {
    useParentBackground_ = true;
    backgroundCache_ = QImage();
    if (repaint) update();
}

void CImageButton::SetHint(const QString& text, bool activate) {
    if (text.isNull()) return;
    hint_ = text;
    hintActive_ = activate;
    ApplyHint();
}

void CImageButton::ApplyHint() {
    setToolTip(hintActive_ ? hint_ : QString());
    setAccessibleName(hint_);
}

void CImageButton::StartHover() {
    if (hovered_) return;
    hovered_ = true;
    hoverCheck_.start();
    update();
}

void CImageButton::EndHover() {
    hoverCheck_.stop();
    if (!hovered_) return;
    hovered_ = false;
    update();
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    // A drag that started elsewhere does not make the button hot.
    if ((event->buttons() & Qt::LeftButton) && !hovered_) return;
    if (rect().contains(event->position().toPoint())) {
        StartHover();
    } else {
        EndHover();
    }
}

void CImageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    EndHover();
}

void CImageButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    EndHover();
}

void CImageButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
        case QEvent::ActivationChange:
            if (!isActiveWindow()) EndHover();
            break;
        case QEvent::EnabledChange:
            // Qt has already passed the focus on to the next control.
            if (!isEnabled()) EndHover();
            break;
        case QEvent::PaletteChange:
            // New system colours: customised colours and the copied background are stale.
            RefreshSystemColors();
            backgroundCache_ = QImage();
            ResetColours();
            update();
            break;
        default:
            break;
    }
}

void CImageButton::moveEvent(QMoveEvent* event) {
    QPushButton::moveEvent(event);
    backgroundCache_ = QImage();
}

void CImageButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    backgroundCache_ = QImage();
}

void CImageButton::hideEvent(QHideEvent* event) {
    QPushButton::hideEvent(event);
    EndHover();
}

}  // namespace dbx
