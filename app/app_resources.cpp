#include "app_resources.h"

#include <QPainter>
#include <QSvgRenderer>

#include <memory>

#include "resource_registry.h"
#include "templates.h"

namespace dbx {
namespace {

// An image source that draws the SVG at the size asked for, or at its own size.
ResourceRegistry::ImageSource SvgSource(const QString& file) {
    auto renderer = std::make_shared<QSvgRenderer>(file);
    return [renderer](QSize size) {
        if (!renderer->isValid()) return QImage();
        if (size.isEmpty()) size = renderer->defaultSize();
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer->render(&painter);
        return image;
    };
}

QIcon IconFrom(const ResourceRegistry& registry, int id) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        const QImage image = registry.Image(id, QSize(size, size));
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace

void RegisterAppResources() {
    ResourceRegistry& registry = ResourceRegistry::Instance();
    AddStringResources(registry);
    registry.AddImage(kIdrMainIcon, SvgSource(QStringLiteral(":/res/icon_128.svg")));
    registry.AddImage(kIdrListIconMessage, SvgSource(QStringLiteral(":/res/list_147.svg")));
    registry.AddImage(kIdrListIconDeleted, SvgSource(QStringLiteral(":/res/list_168.svg")));
    registry.AddImage(kIdrStepOnePicture, SvgSource(QStringLiteral(":/res/picture_169.svg")));
    registry.AddImage(kIdrPrefixBackground, SvgSource(QStringLiteral(":/res/prefix_157.svg")));
    registry.AddImage(kIdrAboutBackground, SvgSource(QStringLiteral(":/res/about_158.svg")));
    registry.AddIcon(kIdrMainIcon, IconFrom(registry, kIdrMainIcon));
    registry.AddIcon(kIdrListIconMessage, IconFrom(registry, kIdrListIconMessage));
    registry.AddIcon(kIdrListIconDeleted, IconFrom(registry, kIdrListIconDeleted));
}

}  // namespace dbx
