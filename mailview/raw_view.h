#pragma once

#include <QByteArray>

#include <string>

namespace dbx {

// The raw preview's HTML file (the part cut out of the stored message) made as safe as the
// decoded page: read in the charset it names, else as UTF-8 or in `codePage`, rebuilt by the
// mail sanitizer (pictures it carries by cid: are not written, remote ones stay out) and put
// under the same Content-Security-Policy. The file is replaced whole; false when it cannot be
// read or written, and then nothing of it is left to show.
bool SecureRawPreviewFile(const std::string& path, const QByteArray& codePage);

}  // namespace dbx
