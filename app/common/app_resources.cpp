#include "common/app_resources.h"

#include "art_resources.h"
#include "resource_registry.h"
#include "templates.h"

namespace dbx {
namespace {

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
    AddArtResources(registry);
    registry.AddIcon(kIdrMainIcon, IconFrom(registry, kIdrMainIcon));
    registry.AddIcon(kIdrListIconMessage, IconFrom(registry, kIdrListIconMessage));
    registry.AddIcon(kIdrListIconDeleted, IconFrom(registry, kIdrListIconDeleted));
}

}  // namespace dbx
