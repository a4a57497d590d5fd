#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mime_mail.h"

namespace dbx {

struct MailPageContent {
    MailHeaderFields headers;
    std::vector<MailAttachment> attachments;
    std::string bodyHtml;    // already safe markup (UTF-8)
    int remoteImages = 0;    // > 0: one line says they are blocked
    bool truncated = false;  // the body was cut at the size limit
};

// The header block of a forwarded message inside the body: it opens a box that
// NestedMessageEnd() closes.
std::string NestedMessageStart(const MailHeaderFields& headers);
std::string NestedMessageEnd();

// The whole preview page (UTF-8, with its byte order mark): the header block with the
// attachments, the notices, then the body. The page declares its charset and forbids the
// engine to fetch, run or submit anything.
std::string ComposeMailPage(const MailPageContent& content);

// The raw preview's page: the stored HTML part, already sanitized, under the same policy as
// the decoded page and nothing else around it, so that it still looks as stored.
std::string ComposeRawPage(const std::string& safeHtml);

// The page of a message's source: `text` (UTF-8, as stored) escaped in one monospace block;
// `notShown` > 0 says how many bytes after it were left out.
std::string ComposeSourcePage(std::string_view text, long long notShown);

}  // namespace dbx
