#include "art_resources.h"

#include <QPainter>
#include <QSvgRenderer>

#include <memory>
#include <optional>

#include "color_ref.h"
#include "resource_registry.h"

namespace dbx {
namespace {

// Draws the SVG at the size asked for, or at its own size, over `fill` (none: transparent).
ResourceRegistry::ImageSource SvgSource(const QString& file, std::optional<ColorRef> fill = {}) {
    auto renderer = std::make_shared<QSvgRenderer>(file);
    return [renderer, fill](QSize size) {
        if (!renderer->isValid()) return QImage();
        if (size.isEmpty()) size = renderer->defaultSize();
        QImage image(size, fill ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        image.fill(fill ? ToQColor(*fill) : QColor(Qt::transparent));
        QPainter painter(&image);
        renderer->render(&painter);
        return image;
    };
}

QString ArtFile(const char* name, int id) {
    return QStringLiteral(":/res/%1_%2.svg").arg(QLatin1String(name)).arg(id);
}

}  // namespace

void AddArtResources(ResourceRegistry& registry) {
    registry.AddImage(128, SvgSource(ArtFile("icon", 128)));
    registry.AddImage(129, SvgSource(ArtFile("background", 129), 0xFFFFFF));
    registry.AddImage(143, SvgSource(ArtFile("link", 143), 0xFFFFFF));
    registry.AddImage(147, SvgSource(ArtFile("list", 147)));
    registry.AddImage(157, SvgSource(ArtFile("prefix", 157)));
    registry.AddImage(158, SvgSource(ArtFile("about", 158)));
    registry.AddImage(168, SvgSource(ArtFile("list", 168)));
    registry.AddImage(169, SvgSource(ArtFile("picture", 169)));
    for (int id : {kIdrToolRecoverHover, kIdrToolSettingsHover, kIdrToolOpenHover,
                   kIdrToolUpdateHover, kIdrToolSaveHover, kIdrToolAllHover, kIdrToolNoneHover}) {
        registry.AddImage(id, SvgSource(ArtFile("toolbar", id), kHoverBitmapKey));
    }
    for (int id :
         {kIdrToolSettingsNormal, kIdrToolOpenNormal, kIdrToolUpdateNormal, kIdrToolRecoverNormal,
          kIdrToolSaveNormal, kIdrToolAllNormal, kIdrToolNoneNormal}) {
        registry.AddImage(id, SvgSource(ArtFile("toolbar", id), kNormalBitmapKey));
    }
    for (int id = kIdrBackHover; id <= kIdrStopNormal; ++id) {
        registry.AddImage(id, SvgSource(ArtFile("wizard", id)));
    }
    for (int id = kIdrMenuHelp; id <= kIdrMenuAbout; ++id) {
        registry.AddImage(id, SvgSource(ArtFile("menu", id)));
    }
}

}  // namespace dbx
