#include "resource_registry.h"

namespace dbx {

ResourceRegistry& ResourceRegistry::Instance() {
    static ResourceRegistry registry;
    return registry;
}

void ResourceRegistry::AddString(int id, std::string text) {
    strings_[id] = std::move(text);
}

std::optional<std::string> ResourceRegistry::String(int id) const {
    auto it = strings_.find(id);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
}

void ResourceRegistry::AddImage(int id, QImage image) {
    images_[id] = [image](QSize size) {
        return size.isEmpty() || size == image.size()
                   ? image
                   : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
}

void ResourceRegistry::AddImage(int id, ImageSource source) {
    images_[id] = std::move(source);
}

QImage ResourceRegistry::Image(int id, QSize size) const {
    auto it = images_.find(id);
    return it == images_.end() ? QImage() : it->second(size);
}

void ResourceRegistry::AddIcon(int id, QIcon icon) {
    icons_[id] = std::move(icon);
}

QIcon ResourceRegistry::Icon(int id) const {
    auto it = icons_.find(id);
    return it == icons_.end() ? QIcon() : it->second;
}

void ResourceRegistry::Clear() {
    strings_.clear();
    images_.clear();
    icons_.clear();
}

}  // namespace dbx
