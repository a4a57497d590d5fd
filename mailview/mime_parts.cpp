#include "mime_parts.h"

#include <algorithm>

namespace dbx {
namespace {

// Mail programs stop at some depth as well; the parts beyond are neither shown nor listed.
constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxParts = 2048;

// Whether GMime read the type as it stands: a broken one comes out as octet-stream.
bool TypeIsBroken(GMimeObject* object) {
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!type || !g_mime_content_type_is_type(type, "application", "octet-stream")) return false;
    const char* raw = g_mime_object_get_header(object, "Content-Type");
    if (!raw) return false;
    QByteArray written = QByteArray(raw).trimmed().toLower();
    return !written.startsWith("application/octet-stream") && !written.startsWith("application/");
}

bool MarkedAsAttachment(GMimeObject* object) {
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    return disposition && g_mime_content_disposition_is_attachment(disposition);
}

// How rich an alternative is for the pane: 0 when it cannot be shown.
int Richness(GMimeObject* object, int depth) {
    if (depth > kMaxDepth) return 0;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        int best = 0;
        const int count = std::min(g_mime_multipart_get_count(multipart), 64);
        for (int i = 0; i < count; ++i) {
            best = std::max(best, Richness(g_mime_multipart_get_part(multipart, i), depth + 1));
        }
        return best;
    }
    if (MarkedAsAttachment(object)) return 0;
    if (GMIME_IS_MESSAGE_PART(object)) return 2;
    if (!GMIME_IS_PART(object)) return 0;
    const QByteArray type = PartMimeType(object);
    if (type == "text/html") return 3;
    if (type == "text/plain") return 2;
    if (type.startsWith("text/")) return 1;
    return 0;
}

// Reports of delivery and reading are text for people too.
bool IsReadableReport(const QByteArray& type) {
    return type == "message/delivery-status" || type == "message/disposition-notification" ||
           type == "message/feedback-report" || type == "message/global-delivery-status";
}

class Layout {
  public:
    explicit Layout(HeaderReader readHeaders) : readHeaders_(readHeaders) {}

    MimeLayout Run(GMimeMessage* message) {
        Walk(g_mime_message_get_mime_part(message), 0);
        return std::move(out_);
    }

  private:
    int Add(GMimeObject* object) {
        out_.parts.push_back(object);
        return static_cast<int>(out_.parts.size()) - 1;
    }

    bool Full() const { return out_.parts.size() >= kMaxParts; }

    void Walk(GMimeObject* object, int depth) {
        if (!object || depth > kMaxDepth || Full()) return;
        if (GMIME_IS_MULTIPART(object)) {
            Multipart(GMIME_MULTIPART(object), depth);
        } else if (GMIME_IS_MESSAGE_PART(object)) {
            Message(object, depth);
        } else if (GMIME_IS_PART(object)) {
            Leaf(object);
        }
    }

    void Multipart(GMimeMultipart* multipart, int depth) {
        GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(multipart));
        const int count = g_mime_multipart_get_count(multipart);
        if (type && g_mime_content_type_is_type(type, "multipart", "alternative")) {
            // The richest alternative, the later one of equals, as the sender ordered them.
            int chosen = -1, best = 0;
            for (int i = 0; i < count && i < 64; ++i) {
                const int richness = Richness(g_mime_multipart_get_part(multipart, i), depth + 1);
                if (richness > 0 && richness >= best) {
                    best = richness;
                    chosen = i;
                }
            }
            if (chosen >= 0) Walk(g_mime_multipart_get_part(multipart, chosen), depth + 1);
            return;
        }
        if (type && g_mime_content_type_is_type(type, "multipart", "related")) {
            // The root is shown; the rest are what it refers to, listed unless it uses them.
            int root = 0;
            const char* start = g_mime_content_type_get_parameter(type, "start");
            for (int i = 0; start && i < count; ++i) {
                const char* id =
                    g_mime_object_get_content_id(g_mime_multipart_get_part(multipart, i));
                QByteArray wanted = QByteArray(start).trimmed();
                if (wanted.startsWith('<') && wanted.endsWith('>'))
                    wanted = wanted.mid(1, wanted.size() - 2);
                if (id && wanted == id) root = i;
            }
            for (int i = 0; i < count && !Full(); ++i) {
                GMimeObject* child = g_mime_multipart_get_part(multipart, i);
                if (i == root) {
                    Walk(child, depth + 1);
                } else if (GMIME_IS_PART(child)) {
                    out_.attachments.push_back(Add(child));
                } else {
                    Walk(child, depth + 1);
                }
            }
            return;
        }
        if (count == 0) {
            // No part was found (no boundary, or none that matches): the text before the first
            // boundary is all there is, and a mail program shows it rather than nothing.
            const char* prologue = g_mime_multipart_get_prologue(multipart);
            if (prologue && *prologue) {
                ShownPart shown;
                shown.part = Add(GMIME_OBJECT(multipart));
                out_.shown.push_back(std::move(shown));
            }
            return;
        }
        for (int i = 0; i < count && !Full(); ++i) {
            Walk(g_mime_multipart_get_part(multipart, i), depth + 1);
        }
    }

    void Message(GMimeObject* object, int depth) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (!inner || MarkedAsAttachment(object)) {
            out_.attachments.push_back(Add(object));
            return;
        }
        ShownPart start;
        start.kind = ShownPart::Kind::MessageStart;
        start.headers = readHeaders_(inner);
        out_.shown.push_back(std::move(start));
        Walk(g_mime_message_get_mime_part(inner), depth + 1);
        ShownPart end;
        end.kind = ShownPart::Kind::MessageEnd;
        out_.shown.push_back(std::move(end));
    }

    void Leaf(GMimeObject* object) {
        const int index = Add(object);
        const QByteArray type = PartMimeType(object);
        const bool text = type.startsWith("text/") || IsReadableReport(type);
        if (!text || MarkedAsAttachment(object)) {
            out_.attachments.push_back(index);
            return;
        }
        ShownPart shown;
        shown.kind = type == "text/html" ? ShownPart::Kind::Html : ShownPart::Kind::Text;
        shown.part = index;
        out_.shown.push_back(std::move(shown));
    }

    HeaderReader readHeaders_;
    MimeLayout out_;
};

}  // namespace

MimeLayout LayOutMessage(GMimeMessage* message, HeaderReader readHeaders) {
    return Layout(readHeaders).Run(message);
}

QByteArray PartMimeType(GMimeObject* object) {
    if (TypeIsBroken(object)) return "text/plain";
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!type) return "text/plain";
    char* name = g_mime_content_type_get_mime_type(type);
    QByteArray out = QByteArray(name ? name : "text/plain").toLower();
    g_free(name);
    return out;
}

QByteArray PartCharset(GMimeObject* object) {
    if (!TypeIsBroken(object)) {
        return QByteArray(g_mime_object_get_content_type_parameter(object, "charset")).trimmed();
    }
    // The parameters of a broken type are read after a type that parses.
    const QByteArray raw = g_mime_object_get_header(object, "Content-Type");
    const qsizetype semicolon = raw.indexOf(';');
    if (semicolon < 0) return {};
    const QByteArray repaired = "text/plain" + raw.mid(semicolon);
    GMimeContentType* type = g_mime_content_type_parse(nullptr, repaired.constData());
    if (!type) return {};
    const QByteArray charset =
        QByteArray(g_mime_content_type_get_parameter(type, "charset")).trimmed();
    g_object_unref(type);
    return charset;
}

}  // namespace dbx
