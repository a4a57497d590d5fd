#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "attachment_links.h"
#include "message_extractor.h"

namespace dbx {

// Where the message shown in the pane lies, so that it can be read again for one of its
// attachments: the preview keeps no copy of it.
struct ShownMessage {
    std::uint32_t offset = 0;
    std::string storePath;
    ExtractExtras extras;  // how the preview read it (see ReadingOf)
    QByteArray codePage;
};

struct AttachmentParams {
    AttachmentAction action = AttachmentAction::Open;
    ShownMessage message;
    int part = -1;               // the attachment, as the page's link names it
    std::string folder;          // the private folder: the message is read again there, opened
                                 // copies go to its "Attachments" folder
    std::string target;          // Save: the file chosen
    bool replace = false;        // Save: the user agreed to replace the file there
    std::function<void()> hold;  // a test's hold, before the attachment is written
};

enum class AttachmentStatus {
    Written,
    Stopped,     // nothing kept
    Unreadable,  // the message could not be read again
    Failed,      // the attachment could not be written
};

struct AttachmentResult {
    AttachmentAction action = AttachmentAction::Open;
    AttachmentStatus status = AttachmentStatus::Failed;
    std::string path;    // the file written (file-name bytes)
    std::string reason;  // why not, in the user's words (local 8-bit)
};

// On the job's thread: reads the message again from the store, decodes the attachment and
// writes it. Open: a read-only copy under its cleaned name in the private folder's
// "Attachments" folder. Save: at `target`, never over a file that is there unless `replace`;
// a replaced file is only given up once the new one is whole.
AttachmentResult RunAttachmentJob(const AttachmentParams& params, const std::atomic<int>& stop);

}  // namespace dbx
