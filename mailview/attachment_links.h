#pragma once

#include <QUrl>

#include <string>

namespace dbx {

// The links of the page's attachment list: "dbxr-attachment:open/N" and "dbxr-attachment:save/N",
// N the attachment's part. The pane hands a click on one to the window; nothing ever loads
// them, and a mail's own links cannot name them (the sanitizer keeps web and mail addresses
// only).
inline constexpr char kAttachmentScheme[] = "dbxr-attachment";

enum class AttachmentAction { Open, Save };

std::string AttachmentLink(AttachmentAction action, int part);

// Reads such a link back; false for anything else.
bool ReadAttachmentLink(const QUrl& url, AttachmentAction* action, int* part);

}  // namespace dbx
