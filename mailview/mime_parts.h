#pragma once

#include <gmime/gmime.h>

#include <QByteArray>

#include <vector>

#include "mime_mail.h"

namespace dbx {

// Where each part of a message goes: shown inline in order, or listed as an attachment.
struct MimeLayout {
    // Every leaf reached, in order, and multiparts without parts whose prologue is shown;
    // indexes name them.
    std::vector<GMimeObject*> parts;
    std::vector<ShownPart> shown;
    std::vector<int> attachments;  // indexes into `parts`; pictures among them too
};

using HeaderReader = MailHeaderFields (*)(GMimeMessage*);

// Lays out `message` as a mail program shows it, within bounds of depth and parts.
MimeLayout LayOutMessage(GMimeMessage* message, HeaderReader readHeaders);

// The part's type in lower case; a missing type, or one without a subtype (RFC 2045's
// default), reads as "text/plain".
QByteArray PartMimeType(GMimeObject* object);

// The charset the part names, also when its type could not be read; empty when none.
QByteArray PartCharset(GMimeObject* object);

}  // namespace dbx
