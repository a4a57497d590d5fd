#include "image_handles.h"

#include <map>
#include <mutex>

namespace dbx {
namespace {

struct Table {
    std::mutex mutex;
    std::map<unsigned, ImageHandles::Entry> entries;
    // Handles start well above small numbers, so a stray "handle=1" finds nothing.
    unsigned next = 0x10000;
};

Table& Handles() {
    static Table table;
    return table;
}

}  // namespace

unsigned ImageHandles::Add(QImage image, QSize cell) {
    Table& t = Handles();
    std::lock_guard lock(t.mutex);
    while (t.next == 0 || t.entries.count(t.next) != 0) ++t.next;
    const unsigned handle = t.next++;
    t.entries[handle] = Entry{std::move(image), cell};
    return handle;
}

void ImageHandles::Remove(unsigned handle) {
    Table& t = Handles();
    std::lock_guard lock(t.mutex);
    t.entries.erase(handle);
}

std::optional<ImageHandles::Entry> ImageHandles::Find(unsigned handle) {
    Table& t = Handles();
    std::lock_guard lock(t.mutex);
    const auto it = t.entries.find(handle);
    if (it == t.entries.end()) return std::nullopt;
    return it->second;
}

}  // namespace dbx
