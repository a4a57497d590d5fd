#pragma once

#include <QImage>
#include <QSize>
#include <optional>

namespace dbx {

// Images that their owners lend to markup texts by number, as in "<icon handle=0x10001>". The
// renderer never deletes them; the owner removes its entry when the image goes away.
class ImageHandles {
  public:
    struct Entry {
        QImage image;
        QSize cell;  // one image of a strip; empty when the image is not a strip
    };

    static unsigned Add(QImage image, QSize cell = {});
    static void Remove(unsigned handle);
    static std::optional<Entry> Find(unsigned handle);
};

// An entry of ImageHandles for the lifetime of the object.
class ImageHandle {
  public:
    explicit ImageHandle(QImage image, QSize cell = {})
        : value_(ImageHandles::Add(std::move(image), cell)) {}
    ~ImageHandle() { ImageHandles::Remove(value_); }
    ImageHandle(const ImageHandle&) = delete;
    ImageHandle& operator=(const ImageHandle&) = delete;

    unsigned Value() const { return value_; }

  private:
    unsigned value_;
};

}  // namespace dbx
