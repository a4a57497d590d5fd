// The decoded preview of a message from hostile bytes: GMime's reading, the charsets, the
// markup sanitizer and the page, with the pictures written to a private folder, and the
// attachments written as files. The sanitizer's output is read again and every element,
// attribute, address and style in it checked against the allowlists.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "attachment_files.h"
#include "html_sanitizer.h"
#include "mail_view.h"
#include "mime_mail.h"
#include "sanitized_html_check.h"

namespace {

// Whether markup still holds an element that runs, redirects or embeds something.
bool HasForbiddenTag(const std::string& html) {
    std::string lower = html;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* name : {"<script", "<iframe", "<meta", "<base", "<object", "<embed", "<form",
                             "<link", "<frame"}) {
        const std::string tag = name;
        for (auto at = lower.find(tag); at != std::string::npos; at = lower.find(tag, at + 1)) {
            const char next = at + tag.size() < lower.size() ? lower[at + tag.size()] : '>';
            if (next == '>' || next == '/' || std::isspace(static_cast<unsigned char>(next))) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir* dir = new QTemporaryDir();
    if (!dir->isValid()) std::abort();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    dbx::MailViewOptions options;
    options.maxBodyBytes = 1 << 16;
    options.maxPictureBytes = 1 << 16;
    options.maxPictures = 4;
    dbx::BuildMailViewFromBytes(bytes, dir->path().toStdString(), options);
    // Its attachments written as files: names cleaned, every file inside the folder.
    if (const auto mail = dbx::MimeMail::FromBytes(bytes, "windows-1252")) {
        const QString folder = dir->path() + "/attachments";
        QDir().mkpath(folder);
        int written = 0;
        for (const dbx::MailAttachment& attachment : mail->Attachments()) {
            if (++written > 4) break;
            const dbx::AttachmentFile file =
                dbx::WriteAttachment(*mail, attachment, folder.toStdString());
            if (!file.path.empty() &&
                QFileInfo(QString::fromStdString(file.path)).absolutePath() != folder) {
                std::abort();
            }
        }
        QDir(folder).removeRecursively();
    }
    // The sanitizer on its own sees markup the message reader would never hand it.
    const dbx::SanitizedHtml safe = dbx::SanitizeMailHtml(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        [](std::string_view cid) {
            return std::string("file:///p/") + std::string(cid.substr(0, 8));
        });
    if (HasForbiddenTag(safe.html)) std::abort();
    const std::string problem = dbx::fuzz::FindUnsafeMarkup(safe.html, "file:///p/");
    if (!problem.empty()) {
        std::fprintf(stderr, "unsafe markup: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
