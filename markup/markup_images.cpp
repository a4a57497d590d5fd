#include "markup_images.h"

#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>

#include "ansi_codepage.h"
#include "image_handles.h"
#include "layout_math.h"
#include "resource_registry.h"

namespace dbx::markup {
namespace {

std::vector<Attribute> AttributesOf(const TagInfo& tag) {
    std::vector<Attribute> all;
    std::size_t pos = 0;
    while (auto a = NextAttribute(tag.attributes, pos)) all.push_back(std::move(*a));
    return all;
}

QImage FromRegistry(const ResourceRegistry& registry, int id, TagKind kind) {
    if (kind == TagKind::Icon) {
        const QIcon icon = registry.Icon(id);
        if (!icon.isNull()) {
            return icon.pixmap(QSize(kSystemIconSize, kSystemIconSize)).toImage();
        }
    }
    return registry.Image(id);
}

struct Source {
    QImage image;
    QSize cell;  // of a strip lent by handle
};

Source LoadSource(const ImageTag& tag, const ResourceSources& sources) {
    if (tag.idres) return {FromRegistry(sources.program, *tag.idres, tag.kind), {}};
    if (!tag.file.empty()) return {ReadImageFile(tag.file), {}};
    if (tag.iddll) {
        if (!tag.srcdll.empty() || sources.module == nullptr) return {};
        return {FromRegistry(*sources.module, *tag.iddll, tag.kind), {}};
    }
    if (tag.handle) {
        if (auto entry = ImageHandles::Find(*tag.handle)) return {entry->image, entry->cell};
    }
    return {};
}

// One image of a strip: `index` counts cells left to right.
QImage CutFromStrip(const QImage& strip, QSize lentCell, const ImageTag& tag) {
    const int cellWidth = tag.cx > 0             ? tag.cx
                          : lentCell.width() > 0 ? lentCell.width()
                                                 : strip.height();
    const int cellHeight = tag.cy > 0              ? std::min(tag.cy, strip.height())
                           : lentCell.height() > 0 ? std::min(lentCell.height(), strip.height())
                                                   : strip.height();
    if (cellWidth <= 0 || cellHeight <= 0 || tag.index < 0) return {};
    const std::int64_t left = std::int64_t(tag.index) * cellWidth;
    if (left + cellWidth > strip.width()) return {};
    return strip.copy(int(left), 0, cellWidth, cellHeight);
}

void ClearMaskPixels(QImage& image, ColorRef mask) {
    const QRgb key = ToQRgb(mask) & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
        }
    }
}

}  // namespace

ImageTag ReadImageTag(const TagInfo& info, const ValueReader& values) {
    ImageTag tag;
    tag.kind = info.kind;
    for (const Attribute& a : AttributesOf(info)) {
        const auto number = [&] { return ReadAutoInteger(a.value); };
        if (a.name == "index") {
            tag.index = number();
        } else if (a.name == "idres") {
            tag.idres = number();
        } else if (a.name == "iddll") {
            tag.iddll = number();
        } else if (a.name == "srcdll") {
            tag.srcdll = a.value;
        } else if (a.name == "handle") {
            tag.handle = unsigned(number());
        } else if (a.name == "file") {
            tag.file = a.value;
        } else if (a.name == "mask") {
            // A key colour, not a colour to show: the monochrome mode leaves it alone.
            tag.mask = ParseColor(a.value, 0xFF00FF, values.names);
        } else if (a.name == "style") {
            tag.style = a.value;
        } else if (a.name == "hotstyle") {
            tag.hotStyle = a.value;
        } else if (a.name == "cx") {
            tag.cx = ClampLength(values.Length(a.value, 0));
        } else if (a.name == "cy") {
            tag.cy = ClampLength(values.Length(a.value, 0));
        } else if (a.name == "width") {
            tag.width = a.value;
        } else if (a.name == "height") {
            tag.height = a.value;
        }
    }
    return tag;
}

QImage LoadTagImage(const ImageTag& tag, const ResourceSources& sources,
                    const ValueReader& values) {
    const Source source = LoadSource(tag, sources);
    if (source.image.isNull()) return {};
    QImage image = tag.kind == TagKind::ImageList ? CutFromStrip(source.image, source.cell, tag)
                                                  : source.image;
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (tag.mask) ClearMaskPixels(image, *tag.mask);
    const int width = std::clamp(values.Length(tag.width, image.width()), 0, kMaxImageSide);
    const int height = std::clamp(values.Length(tag.height, image.height()), 0, kMaxImageSide);
    if (width == 0 || height == 0) return {};
    if (width != image.width() || height != image.height()) {
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

QImage ReadImageFile(std::string_view path) {
    constexpr qint64 kMaxFileBytes = qint64(32) << 20;
    const QString name = AnsiToQString(path);
    const QFileInfo info(name);
    if (!info.isFile() || info.size() > kMaxFileBytes) return {};
    QImageReader reader(name);
    const QSize size = reader.size();
    if (size.width() > 4 * kMaxImageSide || size.height() > 4 * kMaxImageSide) return {};
    return reader.read();
}

std::optional<std::string> LoadTagString(const TagInfo& info, const ResourceSources& sources) {
    std::optional<int> idres, iddll;
    bool foreignModule = false;
    for (const Attribute& a : AttributesOf(info)) {
        if (a.name == "idres") idres = ReadAutoInteger(a.value);
        if (a.name == "iddll") iddll = ReadAutoInteger(a.value);
        if (a.name == "srcdll") foreignModule = !a.value.empty();
    }
    if (idres) return sources.program.String(*idres);
    if (iddll && !foreignModule && sources.module != nullptr) return sources.module->String(*iddll);
    return std::nullopt;
}

}  // namespace dbx::markup
