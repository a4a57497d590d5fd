#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace dbx {

struct MailHeaderFields {
    QString from, to, cc, subject;
    QString date;  // in the user's locale; the header as written when it is not a date
};

struct MailAttachment {
    QString name;
    QString type;      // e.g. "application/pdf"
    qint64 size = -1;  // decoded size (estimated from the encoded one); -1 when unknown
};

struct MailPicture {
    QByteArray bytes;
    QString type;   // "image/png", ...
    int part = -1;  // which part of the message it is
};

// One message as GMime reads it. Parts are decoded only when asked for, and never beyond the
// limit given: listing a large attachment costs nothing.
class MimeMail {
  public:
    enum class BodyKind { None, Html, Text };

    // Null when the bytes do not read as a message: GMime gives up, or no header a mail has
    // is there. `fallbackCharset` reads headers and texts that name no charset.
    static std::unique_ptr<MimeMail> FromFile(const std::string& path,
                                              const QByteArray& fallbackCharset);
    static std::unique_ptr<MimeMail> FromBytes(const QByteArray& bytes,
                                               const QByteArray& fallbackCharset);
    ~MimeMail();

    MailHeaderFields Headers() const;

    BodyKind Body() const;
    // The shown body as text, at most `limit` encoded bytes of it decoded; `truncated` tells
    // whether the part was longer.
    QString BodyText(qint64 limit, bool* truncated) const;

    // The picture the mail carries under this Content-ID, if it is one and not over `limit`.
    bool Picture(const QByteArray& contentId, qint64 limit, MailPicture* picture);

    // Every part that is neither the body nor a picture handed out by Picture().
    std::vector<MailAttachment> Attachments() const;

    struct Impl;

  private:
    explicit MimeMail(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace dbx
