#pragma once

#include <QIcon>
#include <QImage>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace dbx {

// Resources by the numeric ids that dialogs, menus and markup texts use. Strings hold
// Windows-1252 bytes, as markup texts do. Images may be drawn on demand at the size asked for
// (our artwork is vector drawn); a size of 0 x 0 asks for the natural size.
class ResourceRegistry {
  public:
    using ImageSource = std::function<QImage(QSize size)>;

    static ResourceRegistry& Instance();

    void AddString(int id, std::string text);
    std::optional<std::string> String(int id) const;

    void AddImage(int id, QImage image);
    void AddImage(int id, ImageSource source);
    // Null when the id is unknown or the source gives nothing.
    QImage Image(int id, QSize size = {}) const;

    void AddIcon(int id, QIcon icon);
    QIcon Icon(int id) const;  // null icon when unknown

    // Forgets everything (tests).
    void Clear();

  private:
    std::map<int, std::string> strings_;
    std::map<int, ImageSource> images_;
    std::map<int, QIcon> icons_;
};

}  // namespace dbx
