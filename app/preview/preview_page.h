#pragma once

#include <QByteArray>

#include <atomic>
#include <string>
#include <vector>

#include "mime_mail.h"

namespace dbx {

enum class PreviewMode {
    Decoded,  // the message as a mail program shows it; the raw view where it cannot be read
    Source,   // the message's source: header lines and body as stored, as text
    Raw,      // the raw view only: the HTML part as stored, or the text with its headers
};

struct PreviewPage {
    std::string path;                         // the file to show; empty: nothing new to show
    bool decoded = false;                     // the decoded page, which lists attachments
    std::vector<MailAttachment> attachments;  // those the decoded page lists
};

// Builds the page for an extracted message in the private folder `directory`, on the job
// thread. `codePage` reads texts that name no charset.
PreviewPage BuildPreviewPage(const std::string& emlPath, const std::string& directory,
                             PreviewMode mode, const QByteArray& codePage,
                             const std::atomic<int>* stop);

}  // namespace dbx
