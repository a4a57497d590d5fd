#pragma once

#include <QByteArray>

#include <atomic>
#include <string>
#include <vector>

#include "mime_mail.h"

namespace dbx {

struct MailViewOptions {
    QByteArray fallbackCharset = "windows-1252";  // for texts that name no charset
    // Larger messages are not read whole (GMime scans every byte): they get the raw view.
    qint64 maxMessageBytes = qint64(128) << 20;
    qint64 maxBodyBytes = 4 << 20;     // of the shown parts together, encoded
    qint64 maxPictureBytes = 8 << 20;  // of one inline picture, encoded
    int maxPictures = 64;
};

enum class MailViewStatus {
    Shown,       // the page is written
    Unreadable,  // not a message GMime can read, or too large: show the raw preview instead
    Stopped,     // the stop flag was raised
    Failed,      // the page could not be written
};

struct MailView {
    MailViewStatus status = MailViewStatus::Failed;
    std::string pagePath;  // "MailView-N.html" in the folder, N new for every page
    int pictures = 0;      // inline pictures written next to the page
    int attachments = 0;
    int remoteImages = 0;
    std::vector<MailAttachment> listed;  // the attachments the page lists, in its order
};

// Builds the decoded preview page of the message in `emlPath` inside `folder` (a private
// folder: the page and the pictures the message carries are written there, and those of the
// previous preview removed).
MailView BuildMailView(const std::string& emlPath, const std::string& folder,
                       const MailViewOptions& options = {}, const std::atomic<int>* stop = nullptr);

// The source page of the message in `emlPath` inside `folder`: its header lines and body as
// stored, as text (bytes that are not UTF-8 read in the fallback charset), up to maxBodyBytes
// cut at a line's end, written as "MailView-N-source.html". Unreadable only when the file
// cannot be read.
MailView BuildSourceView(const std::string& emlPath, const std::string& folder,
                         const MailViewOptions& options = {},
                         const std::atomic<int>* stop = nullptr);

// The same for a message held in memory.
MailView BuildMailViewFromBytes(const QByteArray& message, const std::string& folder,
                                const MailViewOptions& options = {},
                                const std::atomic<int>* stop = nullptr);

}  // namespace dbx
