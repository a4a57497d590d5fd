#pragma once

#include <QImage>
#include <QSize>

#include <vector>

class QPainter;

namespace dbx {

// Small pictures of one size, each added picture scaled to it, drawn by index.
class ImageList {
  public:
    explicit ImageList(QSize size = QSize(16, 16)) : size_(size) {}

    // Returns the new picture's index; a null picture still takes an index and draws nothing.
    int Add(const QImage& image);
    int Count() const { return int(images_.size()); }
    QSize ImageSize() const { return size_; }
    // Null for an index out of range.
    QImage Image(int index) const;
    // Draws the picture with its transparency at (x, y).
    void Draw(QPainter& painter, int index, int x, int y) const;

  private:
    QSize size_;
    std::vector<QImage> images_;
};

}  // namespace dbx
