#pragma once

#include <QString>

#include <string>

namespace dbx {

class MimeMail;
struct MailAttachment;

// A name an attachment can be written under: no folder in it (whatever separators the sender
// used), no leading dots or blanks, no control or reserved characters, at most `maxBytes`
// bytes of UTF-8 with its extension kept. "attachment" when nothing is left.
QString CleanAttachmentName(const QString& name, int maxBytes = 120);

// Programs and scripts: saved like anything else, but opened only after a warning. The last
// extension counts, as the desktop reads it ("report.pdf.exe" is a program).
bool IsRiskyAttachment(const QString& cleanName);

struct AttachmentFile {
    std::string path;  // where it was written; empty on failure
    bool risky = false;
    int error = 0;  // errno of the failed write
};

// Writes the decoded attachment into `folder` under its cleaned name, made unique with
// " (2)", " (3)", ... when the name is taken; an existing file is never replaced.
// A message/rfc822 attachment without an extension gets ".eml", so that the desktop opens it
// with a mail program.
AttachmentFile WriteAttachment(const MimeMail& mail, const MailAttachment& attachment,
                               const std::string& folder);

}  // namespace dbx
