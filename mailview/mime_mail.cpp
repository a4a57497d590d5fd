#include "mime_mail.h"

#include <fcntl.h>
#include <gmime/gmime.h>
#include <unistd.h>

#include <QDateTime>
#include <QLocale>

#include <array>
#include <mutex>

#include "text_decoding.h"

namespace dbx {
namespace {

// Bounds on the structure of a hostile message.
constexpr int kMaxDepth = 16;
constexpr int kMaxParts = 512;

void InitGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

QString TakeUtf8(char* text) {
    const QString out = QString::fromUtf8(text ? text : "");
    g_free(text);
    return out;
}

QString Addresses(InternetAddressList* list) {
    if (!list || internet_address_list_length(list) == 0) return {};
    return TakeUtf8(internet_address_list_to_string(list, nullptr, FALSE));
}

// The decoded size of an attachment, told from its encoded length without decoding it:
// base64 comes in lines of 76 characters and a line break, 4 characters for 3 bytes.
qint64 EstimatedSize(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    GMimeStream* stream = content ? g_mime_data_wrapper_get_stream(content) : nullptr;
    if (!stream) return -1;
    const gint64 length = g_mime_stream_length(stream);
    if (length < 0) return -1;
    switch (g_mime_data_wrapper_get_encoding(content)) {
        case GMIME_CONTENT_ENCODING_BASE64:
            return (length - length / 78 * 2) * 3 / 4;
        case GMIME_CONTENT_ENCODING_UUENCODE:
            return length * 45 / 62;
        default:
            return length;
    }
}

QString MimeType(GMimeObject* object) {
    GMimeContentType* type = g_mime_object_get_content_type(object);
    return type ? TakeUtf8(g_mime_content_type_get_mime_type(type)).toLower()
                : QStringLiteral("text/plain");
}

bool IsAttachment(GMimePart* part) {
    return g_mime_part_is_attachment(part) || g_mime_part_get_filename(part) != nullptr;
}

}  // namespace

struct MimeMail::Impl {
    GMimeMessage* message = nullptr;
    QByteArray fallback;
    GMimePart* html = nullptr;
    GMimePart* text = nullptr;
    std::vector<GMimeObject*> leaves;  // in the order of the message
    std::vector<GMimeObject*> picturesHandedOut;

    ~Impl() {
        if (message) g_object_unref(message);
    }

    void Walk(GMimeObject* object, int depth) {
        if (!object || depth > kMaxDepth || static_cast<int>(leaves.size()) >= kMaxParts) return;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count && static_cast<int>(leaves.size()) < kMaxParts; ++i) {
                Walk(g_mime_multipart_get_part(multipart, i), depth + 1);
            }
            return;
        }
        leaves.push_back(object);
        if (!GMIME_IS_PART(object)) return;  // a forwarded message is listed, not shown
        GMimePart* part = GMIME_PART(object);
        if (IsAttachment(part)) return;
        GMimeContentType* type = g_mime_object_get_content_type(object);
        if (!type) return;
        if (!html && g_mime_content_type_is_type(type, "text", "html")) html = part;
        if (!text && g_mime_content_type_is_type(type, "text", "plain")) text = part;
    }

    static bool LooksLikeMail(GMimeMessage* message) {
        static constexpr std::array<const char*, 12> kKnown = {
            "from",     "to",           "cc",           "subject",     "date",     "message-id",
            "received", "mime-version", "content-type", "return-path", "reply-to", "x-mailer"};
        GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
        const int count = headers ? g_mime_header_list_get_count(headers) : 0;
        for (int i = 0; i < count; ++i) {
            const char* name = g_mime_header_get_name(g_mime_header_list_get_header_at(headers, i));
            if (!name) continue;
            for (const char* known : kKnown) {
                if (g_ascii_strcasecmp(name, known) == 0) return true;
            }
        }
        return false;
    }

    GMimePart* FindByContentId(const QByteArray& wanted) const {
        GMimePart* loose = nullptr;
        for (GMimeObject* leaf : leaves) {
            if (!GMIME_IS_PART(leaf)) continue;
            const char* id = g_mime_object_get_content_id(leaf);
            if (!id) continue;
            if (wanted == id) return GMIME_PART(leaf);
            if (!loose && qstricmp(wanted.constData(), id) == 0) loose = GMIME_PART(leaf);
        }
        return loose;
    }
};

namespace {

// Parses `stream` (taken over) into a message, or null.
GMimeMessage* ParseStream(GMimeStream* stream, const QByteArray& fallback) {
    InitGMime();
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeParserOptions* options = g_mime_parser_options_new();
    const char* charsets[] = {"UTF-8", fallback.constData(), nullptr};
    g_mime_parser_options_set_fallback_charsets(options, charsets);
    g_mime_parser_options_set_rfc2047_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    GMimeMessage* message = g_mime_parser_construct_message(parser, options);
    g_mime_parser_options_free(options);
    g_object_unref(parser);
    return message;
}

// A stream with the first `limit` bytes of a part's content, decoded.
QByteArray Decoded(GMimePart* part, qint64 limit, bool* truncated) {
    if (truncated) *truncated = false;
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    GMimeStream* source = content ? g_mime_data_wrapper_get_stream(content) : nullptr;
    if (!source) return {};
    const gint64 length = g_mime_stream_length(source);
    GMimeStream* bounded = nullptr;
    if (length > limit) {
        if (truncated) *truncated = true;
        // The encoded length bounds the decoded one for every transfer encoding.
        bounded = g_mime_stream_substream(source, source->bound_start, source->bound_start + limit);
    }
    GMimeDataWrapper* wrapper = bounded ? g_mime_data_wrapper_new_with_stream(
                                              bounded, g_mime_data_wrapper_get_encoding(content))
                                        : nullptr;
    GMimeStream* sink = g_mime_stream_mem_new();
    g_mime_stream_reset(bounded ? bounded : source);
    g_mime_data_wrapper_write_to_stream(wrapper ? wrapper : content, sink);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(sink));
    QByteArray out(reinterpret_cast<const char*>(bytes->data), static_cast<qsizetype>(bytes->len));
    g_object_unref(sink);
    if (wrapper) g_object_unref(wrapper);
    if (bounded) g_object_unref(bounded);
    return out;
}

constexpr qsizetype kHeadProbe = 1024;

// Outlook Express overwrites the first bytes of a deleted message with its free-list link, so
// its first header line holds zero bytes. Reading starts after that line then: the message
// loses its first header, not its readability. 0 for an intact start.
qint64 DamagedFirstLineEnd(const QByteArray& head) {
    const qsizetype lineEnd = head.indexOf('\n');
    if (lineEnd < 0) return 0;
    return head.left(lineEnd).contains('\0') ? lineEnd + 1 : 0;
}

std::unique_ptr<MimeMail::Impl> Build(GMimeMessage* message, const QByteArray& fallback) {
    if (!message) return nullptr;
    auto impl = std::make_unique<MimeMail::Impl>();
    impl->message = message;
    impl->fallback = fallback;
    if (!MimeMail::Impl::LooksLikeMail(message)) return nullptr;
    impl->Walk(g_mime_message_get_mime_part(message), 0);
    return impl;
}

}  // namespace

MimeMail::MimeMail(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MimeMail::~MimeMail() = default;

std::unique_ptr<MimeMail> MimeMail::FromFile(const std::string& path,
                                             const QByteArray& fallbackCharset) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    char head[kHeadProbe];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    const qint64 start = DamagedFirstLineEnd(QByteArray(head, got > 0 ? got : 0));
    auto impl = Build(ParseStream(g_mime_stream_fs_new_with_bounds(fd, start, -1), fallbackCharset),
                      fallbackCharset);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMail>(new MimeMail(std::move(impl)));
}

std::unique_ptr<MimeMail> MimeMail::FromBytes(const QByteArray& bytes,
                                              const QByteArray& fallbackCharset) {
    const qint64 start = DamagedFirstLineEnd(bytes.left(kHeadProbe));
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(
        bytes.constData() + start, static_cast<size_t>(bytes.size() - start));
    auto impl = Build(ParseStream(stream, fallbackCharset), fallbackCharset);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMail>(new MimeMail(std::move(impl)));
}

MailHeaderFields MimeMail::Headers() const {
    GMimeMessage* message = impl_->message;
    MailHeaderFields fields;
    fields.from = Addresses(g_mime_message_get_from(message));
    fields.to = Addresses(g_mime_message_get_to(message));
    fields.cc = Addresses(g_mime_message_get_cc(message));
    fields.subject = QString::fromUtf8(g_mime_message_get_subject(message));
    if (GDateTime* date = g_mime_message_get_date(message)) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date));
        fields.date = QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat);
    } else {
        fields.date = QString::fromUtf8(g_mime_object_get_header(GMIME_OBJECT(message), "Date"));
    }
    return fields;
}

MimeMail::BodyKind MimeMail::Body() const {
    if (impl_->html) return BodyKind::Html;
    if (impl_->text) return BodyKind::Text;
    return BodyKind::None;
}

QString MimeMail::BodyText(qint64 limit, bool* truncated) const {
    GMimePart* part = impl_->html ? impl_->html : impl_->text;
    if (!part) return {};
    const QByteArray bytes = Decoded(part, limit, truncated);
    QByteArray charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    if (charset.isEmpty() && part == impl_->html) charset = SniffHtmlCharset(bytes);
    return DecodeCharset(bytes, charset, impl_->fallback);
}

bool MimeMail::Picture(const QByteArray& contentId, qint64 limit, MailPicture* picture) {
    GMimePart* part = impl_->FindByContentId(contentId);
    if (!part) return false;
    QString type = MimeType(GMIME_OBJECT(part));
    if (!type.startsWith(QLatin1String("image/"))) {
        // Some mailers label pictures as plain data; their names tell.
        const QString name = QString::fromUtf8(g_mime_part_get_filename(part)).toLower();
        if (name.endsWith(".png"))
            type = "image/png";
        else if (name.endsWith(".jpg") || name.endsWith(".jpeg"))
            type = "image/jpeg";
        else if (name.endsWith(".gif"))
            type = "image/gif";
        else
            return false;
    }
    bool truncated = false;
    QByteArray bytes = Decoded(part, limit, &truncated);
    if (truncated) return false;
    picture->bytes = std::move(bytes);
    picture->type = type;
    picture->part =
        static_cast<int>(std::find(impl_->leaves.begin(), impl_->leaves.end(), GMIME_OBJECT(part)) -
                         impl_->leaves.begin());
    impl_->picturesHandedOut.push_back(GMIME_OBJECT(part));
    return true;
}

std::vector<MailAttachment> MimeMail::Attachments() const {
    std::vector<MailAttachment> list;
    for (GMimeObject* leaf : impl_->leaves) {
        if (leaf == GMIME_OBJECT(impl_->html) || leaf == GMIME_OBJECT(impl_->text)) continue;
        if (std::find(impl_->picturesHandedOut.begin(), impl_->picturesHandedOut.end(), leaf) !=
            impl_->picturesHandedOut.end()) {
            continue;
        }
        MailAttachment attachment;
        attachment.type = MimeType(leaf);
        if (GMIME_IS_MESSAGE_PART(leaf)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(leaf));
            attachment.name =
                inner ? QString::fromUtf8(g_mime_message_get_subject(inner)) : QString();
            if (inner) {
                GMimeStream* counter = g_mime_stream_null_new();
                g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, counter);
                attachment.size = static_cast<qint64>(GMIME_STREAM_NULL(counter)->written);
                g_object_unref(counter);
            }
        } else if (GMIME_IS_PART(leaf)) {
            GMimePart* part = GMIME_PART(leaf);
            // An alternative text of the shown body is not an attachment.
            if (!IsAttachment(part) && attachment.type.startsWith(QLatin1String("text/"))) continue;
            attachment.name = QString::fromUtf8(g_mime_part_get_filename(part));
            attachment.size = EstimatedSize(part);
        }
        list.push_back(std::move(attachment));
    }
    return list;
}

}  // namespace dbx
