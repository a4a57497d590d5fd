#include "mail_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <map>

#include "html_sanitizer.h"
#include "html_text.h"
#include "mail_page.h"
#include "mime_mail.h"
#include "text_decoding.h"

namespace dbx {
namespace {

// Every preview's files have names of their own ("MailView-7.html", "MailView-7-1.png"): the
// engine would otherwise take a page at an old name for a reload and keep its scroll position,
// or show a picture of an earlier message from its cache.
constexpr char kFilePrefix[] = "MailView-";

bool Stopped(const std::atomic<int>* stop) {
    return stop && stop->load() != 0;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

QString Extension(const QString& type) {
    if (type == "image/png") return "png";
    if (type == "image/gif") return "gif";
    if (type == "image/jpeg" || type == "image/jpg" || type == "image/pjpeg") return "jpg";
    if (type == "image/bmp") return "bmp";
    if (type == "image/webp") return "webp";
    return "img";
}

unsigned NextSerial() {
    static std::atomic<unsigned> serials{0};
    return ++serials;
}

// Writes "MailView-<serial><suffix>.html"; on success `view` is shown from there.
bool WritePage(const QDir& dir, unsigned serial, const char* suffix, const std::string& page,
               MailView& view) {
    const QString path =
        dir.filePath(QString("%1%2%3.html").arg(kFilePrefix).arg(serial).arg(suffix));
    if (!WriteFile(path, QByteArray::fromStdString(page))) return false;
    view.status = MailViewStatus::Shown;
    view.pagePath = path.toStdString();
    return true;
}

// The files of an earlier preview go.
void RemoveOldFiles(QDir dir) {
    const QStringList old = dir.entryList({QString(kFilePrefix) + "*"}, QDir::Files | QDir::System);
    for (const QString& name : old) dir.remove(name);
}

// Writes the pictures the body asks for by cid:, once each, within the options' limits.
class PictureWriter {
  public:
    PictureWriter(MimeMail& mail, const QDir& dir, const MailViewOptions& options, unsigned serial)
        : mail_(mail), dir_(dir), options_(options), serial_(serial) {}

    std::string Resolve(std::string_view cid) {
        const QByteArray id =
            QUrl::fromPercentEncoding(QByteArray(cid.data(), static_cast<qsizetype>(cid.size())))
                .trimmed()
                .toUtf8();
        auto known = written_.find(id);
        if (known != written_.end()) return known->second;
        std::string url;
        MailPicture picture;
        if (count_ < options_.maxPictures && !id.isEmpty() &&
            mail_.Picture(id, options_.maxPictureBytes, &picture)) {
            // Two spellings of one Content-ID name one picture.
            auto same = byPart_.find(picture.part);
            if (same != byPart_.end()) {
                written_.emplace(id, same->second);
                return same->second;
            }
            const QString path = dir_.filePath(QString("%1%2-%3.%4")
                                                   .arg(kFilePrefix)
                                                   .arg(serial_)
                                                   .arg(count_ + 1)
                                                   .arg(Extension(picture.type)));
            if (WriteFile(path, picture.bytes)) {
                ++count_;
                url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
                byPart_.emplace(picture.part, url);
            }
        }
        written_.emplace(id, url);
        return url;
    }

    int Count() const { return count_; }

  private:
    MimeMail& mail_;
    QDir dir_;
    const MailViewOptions& options_;
    unsigned serial_ = 0;
    int count_ = 0;
    std::map<QByteArray, std::string> written_;
    std::map<int, std::string> byPart_;
};

// The shown parts one after the other, within the body budget.
struct Body {
    std::string html;
    int remoteImages = 0;
    bool truncated = false;
};

Body ComposeBody(const MimeMail& mail, PictureWriter& pictures, const MailViewOptions& options,
                 const std::atomic<int>* stop) {
    Body body;
    qint64 budget = options.maxBodyBytes;
    int open = 0;  // forwarded messages whose box is open
    for (const ShownPart& part : mail.Shown()) {
        if (Stopped(stop)) break;
        if (part.kind == ShownPart::Kind::MessageStart) {
            body.html += NestedMessageStart(part.headers);
            ++open;
            continue;
        }
        if (part.kind == ShownPart::Kind::MessageEnd) {
            if (open > 0) {
                body.html += NestedMessageEnd();
                --open;
            }
            continue;
        }
        if (budget <= 0) {
            body.truncated = true;
            continue;
        }
        bool cut = false;
        const std::string text = mail.PartText(part.part, budget, &cut).toStdString();
        budget -= std::max<qint64>(1, static_cast<qint64>(text.size()));
        body.truncated = body.truncated || cut;
        if (part.kind == ShownPart::Kind::Html) {
            SanitizedHtml safe = SanitizeMailHtml(
                text, [&pictures](std::string_view cid) { return pictures.Resolve(cid); });
            body.html += safe.html;
            body.remoteImages += safe.remoteImages;
        } else {
            body.html += PlainTextToHtml(text);
        }
    }
    for (; open > 0; --open) body.html += NestedMessageEnd();
    return body;
}

MailView Build(std::unique_ptr<MimeMail> mail, const std::string& folder,
               const MailViewOptions& options, const std::atomic<int>* stop) {
    MailView view;
    if (Stopped(stop)) {
        view.status = MailViewStatus::Stopped;
        return view;
    }
    if (!mail) {
        view.status = MailViewStatus::Unreadable;
        return view;
    }
    const QDir dir(QString::fromStdString(folder));
    RemoveOldFiles(dir);
    const unsigned serial = NextSerial();

    MailPageContent content;
    content.headers = mail->Headers();
    PictureWriter pictures(*mail, dir, options, serial);
    Body body = ComposeBody(*mail, pictures, options, stop);
    content.bodyHtml = std::move(body.html);
    content.remoteImages = body.remoteImages;
    content.truncated = body.truncated;
    content.attachments = mail->Attachments();
    if (Stopped(stop)) {
        view.status = MailViewStatus::Stopped;
        return view;
    }

    if (!WritePage(dir, serial, "", ComposeMailPage(content), view)) return view;
    view.pictures = pictures.Count();
    view.attachments = static_cast<int>(content.attachments.size());
    view.listed = std::move(content.attachments);
    view.remoteImages = content.remoteImages;
    return view;
}

}  // namespace

MailView BuildMailView(const std::string& emlPath, const std::string& folder,
                       const MailViewOptions& options, const std::atomic<int>* stop) {
    if (folder.empty() || emlPath.empty()) return {};
    if (QFileInfo(QString::fromStdString(emlPath)).size() > options.maxMessageBytes) {
        MailView tooLarge;
        tooLarge.status = MailViewStatus::Unreadable;
        return tooLarge;
    }
    return Build(MimeMail::FromFile(emlPath, options.fallbackCharset, stop), folder, options, stop);
}

MailView BuildSourceView(const std::string& emlPath, const std::string& folder,
                         const MailViewOptions& options, const std::atomic<int>* stop) {
    MailView view;
    if (folder.empty() || emlPath.empty()) return view;
    QFile file(QString::fromStdString(emlPath));
    if (!file.open(QIODevice::ReadOnly)) {
        view.status = MailViewStatus::Unreadable;
        return view;
    }
    const qint64 size = file.size();
    QByteArray bytes = file.read(std::min(size, options.maxBodyBytes));
    if (bytes.size() != std::min(size, options.maxBodyBytes)) {
        view.status = MailViewStatus::Unreadable;
        return view;
    }
    if (bytes.size() < size) {
        // Cut at a line's end, so that no character is split.
        const qsizetype lineEnd = bytes.lastIndexOf('\n');
        if (lineEnd >= 0) bytes.truncate(lineEnd + 1);
    }
    if (Stopped(stop)) {
        view.status = MailViewStatus::Stopped;
        return view;
    }
    const QDir dir(QString::fromStdString(folder));
    RemoveOldFiles(dir);
    const std::string text = DecodeCharset(bytes, {}, options.fallbackCharset).toStdString();
    WritePage(dir, NextSerial(), "-source", ComposeSourcePage(text, size - bytes.size()), view);
    return view;
}

MailView BuildMailViewFromBytes(const QByteArray& message, const std::string& folder,
                                const MailViewOptions& options, const std::atomic<int>* stop) {
    if (folder.empty()) return {};
    if (message.size() > options.maxMessageBytes) {
        MailView tooLarge;
        tooLarge.status = MailViewStatus::Unreadable;
        return tooLarge;
    }
    return Build(MimeMail::FromBytes(message, options.fallbackCharset, stop), folder, options,
                 stop);
}

}  // namespace dbx
