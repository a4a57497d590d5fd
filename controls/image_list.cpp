#include "image_list.h"

#include <QPainter>

namespace dbx {

int ImageList::Add(const QImage& image) {
    QImage scaled;
    if (!image.isNull()) {
        const qreal ratio = image.devicePixelRatio();
        scaled = image
                     .scaled((QSizeF(size_) * ratio).toSize(), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        scaled.setDevicePixelRatio(ratio);
    }
    images_.push_back(scaled);
    return int(images_.size()) - 1;
}

QImage ImageList::Image(int index) const {
    return index >= 0 && index < Count() ? images_[size_t(index)] : QImage();
}

void ImageList::Draw(QPainter& painter, int index, int x, int y) const {
    const QImage image = Image(index);
    if (!image.isNull()) painter.drawImage(QPoint(x, y), image);
}

}  // namespace dbx
