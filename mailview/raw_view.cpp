#include "raw_view.h"

#include <QFile>
#include <QSaveFile>

#include "html_sanitizer.h"
#include "mail_page.h"
#include "text_decoding.h"

namespace dbx {
namespace {

// The raw cut reaches from the first "<html>" to the last "</html>"; it is bounded like a body.
constexpr qint64 kMaxRawBytes = qint64(16) << 20;

}  // namespace

bool SecureRawPreviewFile(const std::string& path, const QByteArray& codePage) {
    const QString name = QString::fromStdString(path);
    QByteArray raw;
    {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            QFile::remove(name);
            return false;
        }
        raw = file.read(kMaxRawBytes);
        if (raw.isNull() && file.size() > 0) {
            file.close();
            QFile::remove(name);
            return false;
        }
    }
    const QString text = DecodeCharset(raw, SniffHtmlCharset(raw), codePage);
    const SanitizedHtml safe = SanitizeMailHtml(text.toStdString(), {});
    const std::string page = ComposeRawPage(safe.html);
    QSaveFile out(name);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(page.data(), static_cast<qint64>(page.size())) !=
            static_cast<qint64>(page.size()) ||
        !out.commit()) {
        QFile::remove(name);
        return false;
    }
    return true;
}

}  // namespace dbx
