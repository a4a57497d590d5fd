#include "text_decoding.h"

#include <QStringDecoder>

namespace dbx {
namespace {

QByteArray Canonical(const QByteArray& charset) {
    const QByteArray name = charset.trimmed().toLower();
    if (name == "us-ascii" || name == "ascii" || name == "iso-8859-1" || name == "iso8859-1" ||
        name == "latin1" || name == "latin-1" || name == "iso_8859-1" || name == "cp1252" ||
        name == "ansi_x3.4-1968") {
        return "windows-1252";
    }
    if (name == "ks_c_5601-1987") return "windows-949";
    if (name == "x-sjis" || name == "sjis") return "Shift_JIS";
    return name;
}

bool Decode(const QByteArray& bytes, const QByteArray& charset, QString* text) {
    if (charset.isEmpty()) return false;
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid()) return false;
    *text = decoder.decode(bytes);
    return true;
}

}  // namespace

QString DecodeCharset(const QByteArray& bytes, const QByteArray& charset,
                      const QByteArray& fallback) {
    QString text;
    if (!charset.trimmed().isEmpty() && Decode(bytes, Canonical(charset), &text)) return text;
    if (charset.trimmed().isEmpty()) {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        if (!utf8.hasError()) return text;
    }
    if (Decode(bytes, Canonical(fallback), &text)) return text;
    if (Decode(bytes, "windows-1252", &text)) return text;
    return QString::fromLatin1(bytes);
}

QByteArray SniffHtmlCharset(const QByteArray& html) {
    const QByteArray head = html.left(4096).toLower();
    qsizetype meta = head.indexOf("<meta");
    while (meta >= 0) {
        const qsizetype close = head.indexOf('>', meta);
        const QByteArray tag = head.mid(meta, close < 0 ? -1 : close - meta);
        const qsizetype at = tag.indexOf("charset=");
        if (at >= 0) {
            qsizetype start = at + 8;
            while (start < tag.size() &&
                   (tag[start] == '"' || tag[start] == '\'' || tag[start] == ' ')) {
                ++start;
            }
            qsizetype end = start;
            while (end < tag.size() && end - start < 40 &&
                   (QChar::isLetterOrNumber(static_cast<uchar>(tag[end])) || tag[end] == '-' ||
                    tag[end] == '_' || tag[end] == '.' || tag[end] == ':')) {
                ++end;
            }
            if (end > start) return tag.mid(start, end - start);
        }
        if (close < 0) break;
        meta = head.indexOf("<meta", close);
    }
    return {};
}

}  // namespace dbx
