#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace dbx {

struct MailHeaderFields {
    QString from, to, cc, subject;
    QString date;  // in the user's locale; the header as written when it is not a date
};

struct MailAttachment {
    QString name;      // as the message names it (not cleaned for a file system)
    QString type;      // e.g. "application/pdf"
    qint64 size = -1;  // decoded size (estimated from the encoded one); -1 when unknown
    int part = -1;     // which part of the message it is, for SaveAttachment()
};

struct MailPicture {
    QByteArray bytes;
    QString type;   // "image/png", ...
    int part = -1;  // which part of the message it is
};

// One piece of what a mail program shows inline, in the order of the message.
struct ShownPart {
    enum class Kind {
        Text,          // a text part shown as plain text
        Html,          // a text/html part
        MessageStart,  // a forwarded message begins: its header block
        MessageEnd,    // ... and ends
    };
    Kind kind = Kind::Text;
    int part = -1;             // Text and Html: which part, for PartText()
    MailHeaderFields headers;  // MessageStart: the forwarded message's header fields
};

// One message as GMime reads it. Parts are decoded only when asked for, and never beyond the
// limit given: listing a large attachment costs nothing.
class MimeMail {
  public:
    // Null when the bytes do not read as a message (GMime gives up, or no header a mail has is
    // there) or when `stop` was raised while it was read. `fallbackCharset` reads headers and
    // texts that name no charset, or one that is not known.
    static std::unique_ptr<MimeMail> FromFile(const std::string& path,
                                              const QByteArray& fallbackCharset,
                                              const std::atomic<int>* stop = nullptr);
    static std::unique_ptr<MimeMail> FromBytes(const QByteArray& bytes,
                                               const QByteArray& fallbackCharset,
                                               const std::atomic<int>* stop = nullptr);
    ~MimeMail();

    MailHeaderFields Headers() const;

    // What a mail program shows inline: every text part not marked as an attachment, of an
    // alternative the richest one, forwarded messages and digests with their header blocks.
    const std::vector<ShownPart>& Shown() const;

    // A shown part as text, at most `limit` encoded bytes of it decoded; `truncated` tells
    // whether the part was longer.
    QString PartText(int part, qint64 limit, bool* truncated) const;

    // The picture the mail carries under this Content-ID, if it is one and not over `limit`.
    bool Picture(const QByteArray& contentId, qint64 limit, MailPicture* picture);

    // Every part that is neither shown nor a picture handed out by Picture().
    std::vector<MailAttachment> Attachments() const;

    // Writes the decoded content of the attachment `part` to `path` (a new file: an existing
    // one is not replaced). False when the part is no attachment or a write fails; a file
    // left part way is removed. `error`, when given, gets the errno of the failing step (0 for
    // a part that is no attachment).
    bool SaveAttachment(int part, const std::string& path, int* error = nullptr) const;

    struct Impl;

  private:
    explicit MimeMail(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace dbx
