#include "mime_mail.h"

#include <fcntl.h>
#include <gmime/gmime.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cerrno>

#include "gmime_setup.h"
#include "mime_bounds.h"
#include "mime_parts.h"
#include "mime_stream.h"
#include "text_decoding.h"

namespace dbx {
namespace {

QString TakeUtf8(char* text) {
    const QString out = QString::fromUtf8(text ? text : "");
    g_free(text);
    return out;
}

QString Addresses(InternetAddressList* list) {
    if (!list || internet_address_list_length(list) == 0) return {};
    return TakeUtf8(internet_address_list_to_string(list, nullptr, FALSE));
}

MailHeaderFields HeadersOf(GMimeMessage* message) {
    MailHeaderFields fields;
    if (!message) return fields;
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

bool LooksLikeMail(GMimeMessage* message) {
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

// The first `limit` bytes of a part's content, decoded.
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
qint64 DamagedFirstLineEnd(std::string_view head) {
    head = head.substr(0, kHeadProbe);
    const std::size_t lineEnd = head.find('\n');
    if (lineEnd == std::string_view::npos) return 0;
    return head.substr(0, lineEnd).find('\0') != std::string_view::npos
               ? static_cast<qint64>(lineEnd + 1)
               : 0;
}

}  // namespace

struct MimeMail::Impl {
    GMimeMessage* message = nullptr;
    QByteArray fallback;
    MimeLayout layout;
    std::vector<GMimeObject*> picturesHandedOut;

    ~Impl() {
        if (message) g_object_unref(message);
    }

    GMimePart* PartAt(int index) const {
        if (index < 0 || index >= static_cast<int>(layout.parts.size())) return nullptr;
        GMimeObject* object = layout.parts[static_cast<std::size_t>(index)];
        return GMIME_IS_PART(object) ? GMIME_PART(object) : nullptr;
    }

    GMimePart* FindByContentId(const QByteArray& wanted) const {
        GMimePart* loose = nullptr;
        for (GMimeObject* object : layout.parts) {
            if (!GMIME_IS_PART(object)) continue;
            const char* id = g_mime_object_get_content_id(object);
            if (!id) continue;
            if (wanted == id) return GMIME_PART(object);
            if (!loose && qstricmp(wanted.constData(), id) == 0) loose = GMIME_PART(object);
        }
        return loose;
    }

    int IndexOf(GMimeObject* object) const {
        const auto at = std::find(layout.parts.begin(), layout.parts.end(), object);
        return at == layout.parts.end() ? -1 : static_cast<int>(at - layout.parts.begin());
    }
};

namespace {

// Reads `view` (the message from its first readable line) through GMime, `source` being the
// same bytes as a GMime stream (taken over).
std::unique_ptr<MimeMail::Impl> Parse(std::string_view view, GMimeStream* source,
                                      const QByteArray& fallback, const std::atomic<int>* stop) {
    const MimeCuts cuts = FindMimeCuts(view, MimeBounds{}, stop);
    if (cuts.stopped) {
        g_object_unref(source);
        return nullptr;
    }
    GMimeStream* stream = MakeParseStream(source, cuts, stop);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeParserOptions* options = g_mime_parser_options_new();
    const char* charsets[] = {"UTF-8", fallback.constData(), nullptr};
    g_mime_parser_options_set_fallback_charsets(options, charsets);
    g_mime_parser_options_set_rfc2047_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    GMimeMessage* message = g_mime_parser_construct_message(parser, options);
    ForgetStop(stream);
    g_mime_parser_options_free(options);
    g_object_unref(parser);
    if (!message) return nullptr;
    auto impl = std::make_unique<MimeMail::Impl>();
    impl->message = message;
    impl->fallback = fallback;
    if ((stop && stop->load() != 0) || !LooksLikeMail(message)) return nullptr;
    impl->layout = LayOutMessage(message, &HeadersOf);
    return impl;
}

}  // namespace

MimeMail::MimeMail(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MimeMail::~MimeMail() = default;

std::unique_ptr<MimeMail> MimeMail::FromFile(const std::string& path,
                                             const QByteArray& fallbackCharset,
                                             const std::atomic<int>* stop) {
    EnsureGMime();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* mapped = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    if (mapped == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    const std::string_view whole(static_cast<const char*>(mapped), mapped ? size : 0);
    const qint64 start = DamagedFirstLineEnd(whole);
    // The stream owns the descriptor from here on.
    auto impl = Parse(whole.substr(static_cast<std::size_t>(start)),
                      g_mime_stream_fs_new_with_bounds(fd, start, -1), fallbackCharset, stop);
    if (mapped) ::munmap(mapped, size);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMail>(new MimeMail(std::move(impl)));
}

std::unique_ptr<MimeMail> MimeMail::FromBytes(const QByteArray& bytes,
                                              const QByteArray& fallbackCharset,
                                              const std::atomic<int>* stop) {
    EnsureGMime();
    const std::string_view whole(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const qint64 start = DamagedFirstLineEnd(whole);
    const std::string_view view = whole.substr(static_cast<std::size_t>(start));
    auto impl = Parse(view, g_mime_stream_mem_new_with_buffer(view.data(), view.size()),
                      fallbackCharset, stop);
    if (!impl) return nullptr;
    return std::unique_ptr<MimeMail>(new MimeMail(std::move(impl)));
}

MailHeaderFields MimeMail::Headers() const {
    return HeadersOf(impl_->message);
}

const std::vector<ShownPart>& MimeMail::Shown() const {
    return impl_->layout.shown;
}

QString MimeMail::PartText(int index, qint64 limit, bool* truncated) const {
    if (truncated) *truncated = false;
    if (index >= 0 && index < static_cast<int>(impl_->layout.parts.size()) &&
        GMIME_IS_MULTIPART(impl_->layout.parts[static_cast<std::size_t>(index)])) {
        const char* prologue = g_mime_multipart_get_prologue(
            GMIME_MULTIPART(impl_->layout.parts[static_cast<std::size_t>(index)]));
        QByteArray bytes(prologue ? prologue : "");
        if (bytes.size() > limit) {
            bytes.truncate(static_cast<qsizetype>(limit));
            if (truncated) *truncated = true;
        }
        return DecodeCharset(bytes, {}, impl_->fallback);
    }
    GMimePart* part = impl_->PartAt(index);
    if (!part) return {};
    const QByteArray bytes = Decoded(part, limit, truncated);
    QByteArray charset = PartCharset(GMIME_OBJECT(part));
    GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    if (charset.isEmpty() && type && g_mime_content_type_is_type(type, "text", "html")) {
        charset = SniffHtmlCharset(bytes);
    }
    return DecodeCharset(bytes, charset, impl_->fallback);
}

bool MimeMail::Picture(const QByteArray& contentId, qint64 limit, MailPicture* picture) {
    GMimePart* part = impl_->FindByContentId(contentId);
    if (!part) return false;
    QString type = QString::fromUtf8(PartMimeType(GMIME_OBJECT(part)));
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
    picture->part = impl_->IndexOf(GMIME_OBJECT(part));
    impl_->picturesHandedOut.push_back(GMIME_OBJECT(part));
    return true;
}

std::vector<MailAttachment> MimeMail::Attachments() const {
    std::vector<MailAttachment> list;
    for (int index : impl_->layout.attachments) {
        GMimeObject* object = impl_->layout.parts[static_cast<std::size_t>(index)];
        if (std::find(impl_->picturesHandedOut.begin(), impl_->picturesHandedOut.end(), object) !=
            impl_->picturesHandedOut.end()) {
            continue;
        }
        MailAttachment attachment;
        attachment.part = index;
        attachment.type = QString::fromUtf8(PartMimeType(object));
        if (GMIME_IS_MESSAGE_PART(object)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            const char* filename =
                g_mime_object_get_content_disposition_parameter(object, "filename");
            attachment.name = filename ? QString::fromUtf8(filename)
                              : inner  ? QString::fromUtf8(g_mime_message_get_subject(inner))
                                       : QString();
            if (inner) {
                GMimeStream* counter = g_mime_stream_null_new();
                g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, counter);
                attachment.size = static_cast<qint64>(GMIME_STREAM_NULL(counter)->written);
                g_object_unref(counter);
            }
        } else if (GMIME_IS_PART(object)) {
            attachment.name = QString::fromUtf8(g_mime_part_get_filename(GMIME_PART(object)));
            attachment.size = EstimatedSize(GMIME_PART(object));
        }
        list.push_back(std::move(attachment));
    }
    return list;
}

bool MimeMail::SaveAttachment(int index, const std::string& path, int* error) const {
    int ignored = 0;
    int& failure = error ? *error : ignored;
    failure = 0;
    const auto& listed = impl_->layout.attachments;
    if (std::find(listed.begin(), listed.end(), index) == listed.end()) return false;
    GMimeObject* object = impl_->layout.parts[static_cast<std::size_t>(index)];
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        failure = errno;
        return false;
    }
    // The errno of the first step that fails; EIO when the stream left none.
    const auto failed = [&failure] {
        if (failure == 0) failure = errno != 0 ? errno : EIO;
    };
    GMimeStream* file = g_mime_stream_fs_new(fd);  // owns the descriptor
    bool ok = false;
    errno = 0;
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        ok = inner && g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, file) >= 0;
    } else if (GMIME_IS_PART(object)) {
        GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
        ok = content && g_mime_data_wrapper_write_to_stream(content, file) >= 0;
    }
    if (!ok) failed();
    errno = 0;
    if (g_mime_stream_flush(file) != 0) {
        failed();
        ok = false;
    }
    errno = 0;
    if (g_mime_stream_close(file) != 0) {
        failed();
        ok = false;
    }
    g_object_unref(file);
    if (!ok) ::unlink(path.c_str());
    return ok;
}

}  // namespace dbx
