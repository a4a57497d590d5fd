#include "attachment_files.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <cerrno>

#include "mime_mail.h"

namespace dbx {
namespace {

// What the desktop runs rather than opens: Windows programs, scripts and shortcuts, and their
// Linux kin.
constexpr std::array<const char*, 38> kRisky = {
    "exe", "com",  "bat", "cmd",     "scr",      "pif", "vbs", "vbe", "js",     "jse",
    "wsf", "wsh",  "ws",  "msi",     "msp",      "mst", "lnk", "hta", "cpl",    "jar",
    "ps1", "psm1", "reg", "scf",     "url",      "inf", "msc", "vb",  "gadget", "application",
    "sh",  "bash", "run", "desktop", "appimage", "py",  "pl",  "chm"};
constexpr int kMaxCopies = 1000;

bool IsReserved(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("<>:\"|?*").contains(c);
}

// The last `maxBytes` bytes of UTF-8 that fit, cut between characters.
QString FitUtf8(const QString& text, int maxBytes) {
    QString out;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int length = text[i].isHighSurrogate() && i + 1 < text.size()
                               ? 4
                               : (text[i].unicode() < 0x80    ? 1
                                  : text[i].unicode() < 0x800 ? 2
                                                              : 3);
        if (bytes + length > maxBytes) break;
        bytes += length;
        out += text[i];
        if (length == 4) out += text[++i];
    }
    return out;
}

}  // namespace

QString CleanAttachmentName(const QString& name, int maxBytes) {
    QString base = name;
    // Only the last part of a path: senders write both kinds of separator.
    const qsizetype slash = std::max(base.lastIndexOf('/'), base.lastIndexOf('\\'));
    if (slash >= 0) base = base.mid(slash + 1);
    QString clean;
    for (const QChar c : base) clean += IsReserved(c) ? QChar('_') : c;
    // Leading dots hide a file; trailing dots and blanks are dropped by Windows, which would
    // turn "x.exe." into a program.
    while (!clean.isEmpty() && (clean.front() == '.' || clean.front().isSpace()))
        clean.remove(0, 1);
    while (!clean.isEmpty() && (clean.back() == '.' || clean.back().isSpace())) clean.chop(1);
    if (clean.isEmpty()) return QStringLiteral("attachment");
    const qsizetype dot = clean.lastIndexOf('.');
    const QString extension = dot > 0 && clean.size() - dot <= 16 ? clean.mid(dot) : QString();
    const int extensionBytes = static_cast<int>(extension.toUtf8().size());
    if (clean.toUtf8().size() <= maxBytes) return clean;
    const QString stem = FitUtf8(clean.left(clean.size() - extension.size()),
                                 std::max(1, maxBytes - extensionBytes));
    return stem + extension;
}

bool IsRiskyAttachment(const QString& cleanName) {
    const QString extension = QFileInfo(cleanName).suffix().toLower();
    for (const char* risky : kRisky) {
        if (extension == QLatin1String(risky)) return true;
    }
    return false;
}

AttachmentFile WriteAttachment(const MimeMail& mail, const MailAttachment& attachment,
                               const std::string& folder) {
    AttachmentFile file;
    QString name = CleanAttachmentName(attachment.name);
    if (attachment.type.compare(QLatin1String("message/rfc822"), Qt::CaseInsensitive) == 0 &&
        QFileInfo(name).suffix().isEmpty()) {
        name = CleanAttachmentName(name + QStringLiteral(".eml"));
    }
    file.risky = IsRiskyAttachment(name);
    const QDir dir(QString::fromStdString(folder));
    const QFileInfo info(name);
    const QString stem = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const QString candidate =
            copy == 1 ? name : QStringLiteral("%1 (%2)%3").arg(stem).arg(copy).arg(suffix);
        const std::string path = dir.filePath(candidate).toStdString();
        if (QFileInfo::exists(QString::fromStdString(path))) continue;
        if (mail.SaveAttachment(attachment.part, path, &file.error)) file.path = path;
        return file;
    }
    file.error = EEXIST;
    return file;
}

}  // namespace dbx
