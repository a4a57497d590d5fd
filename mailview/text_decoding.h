#pragma once

#include <QByteArray>
#include <QString>

namespace dbx {

// The text of a mail part: `bytes` read in `charset`. With no charset, the bytes are read as
// UTF-8 when they are valid UTF-8, else in `fallback`; an unknown charset reads in `fallback`
// too. Latin-1 and ASCII labels read as windows-1252, as mail programs do.
QString DecodeCharset(const QByteArray& bytes, const QByteArray& charset,
                      const QByteArray& fallback);

// The charset an HTML document names in its <meta> tags near its start, or empty.
QByteArray SniffHtmlCharset(const QByteArray& html);

}  // namespace dbx
