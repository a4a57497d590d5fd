#include "preview/attachment_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "attachment_files.h"
#include "message_extractor.h"
#include "mime_mail.h"
#include "output_path.h"

namespace dbx {
namespace {

constexpr char kSourceName[] = "AttachmentSource";
constexpr char kCopiesFolder[] = "Attachments";
constexpr int kMaxPartialNames = 100;

std::string Reason(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

// The private folder's folder for opened copies: made once, a real folder of ours.
std::string CopiesFolder(const std::string& folder, int* error) {
    const std::string path = JoinPath(folder, kCopiesFolder);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = errno;
        return {};
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        *error = EEXIST;
        return {};
    }
    return path;
}

// The new file next to the one it replaces, renamed over it once whole.
bool Replace(const MimeMail& mail, int part, const std::string& target, int* error) {
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < kMaxPartialNames; ++attempt) {
        const std::string partial =
            JoinPath(folder, "." + name + ".part" + std::to_string(::getpid()) + "-" +
                                 std::to_string(attempt));
        if (!mail.SaveAttachment(part, partial, error)) {
            if (*error == EEXIST) continue;
            return false;
        }
        if (std::rename(partial.c_str(), target.c_str()) != 0) {
            *error = errno;
            ::unlink(partial.c_str());
            return false;
        }
        return true;
    }
    *error = EEXIST;
    return false;
}

}  // namespace

AttachmentResult RunAttachmentJob(const AttachmentParams& params, const std::atomic<int>& stop) {
    AttachmentResult result;
    result.action = params.action;
    if (params.folder.empty()) {
        result.reason = "no private folder could be made for it";
        return result;
    }
    ExtractRequest request;
    request.offset = params.message.offset;
    request.storePath = params.message.storePath;
    request.outputDirectory = params.folder;
    // Read again as the preview read it.
    ExtractExtras extras = params.message.extras;
    extras.name = kSourceName;  // the mail counter of Save stays as it is
    MailCounter unused;
    const ExtractOutcome outcome = ExtractMessage(request, unused, extras);
    if (outcome.status != ExtractStatus::Written) {
        result.status = AttachmentStatus::Unreadable;
        result.reason = DescribeExtractFailure(outcome);
        return result;
    }
    const std::string source = outcome.path;
    std::unique_ptr<MimeMail> mail = MimeMail::FromFile(
        source, params.message.codePage.isEmpty() ? "windows-1252" : params.message.codePage,
        &stop);
    if (params.hold) params.hold();
    if (stop.load() != 0) {
        ::unlink(source.c_str());
        result.status = AttachmentStatus::Stopped;
        return result;
    }
    if (!mail) {
        ::unlink(source.c_str());
        result.status = AttachmentStatus::Unreadable;
        result.reason = "the message no longer reads as a mail";
        return result;
    }
    // The part must still be the attachment the page listed.
    MailAttachment attachment;
    for (const MailAttachment& listed : mail->Attachments()) {
        if (listed.part == params.part) attachment = listed;
    }
    int error = 0;
    if (attachment.part < 0) {
        result.status = AttachmentStatus::Unreadable;
        result.reason = "the message read again holds no such attachment";
    } else if (params.action == AttachmentAction::Open) {
        const std::string copies = CopiesFolder(params.folder, &error);
        const AttachmentFile file =
            copies.empty() ? AttachmentFile{} : WriteAttachment(*mail, attachment, copies);
        if (!file.path.empty()) {
            // A read-only copy: changes made to it would be lost with the folder at Exit. One
            // that stays writable is still the attachment.
            (void)::chmod(file.path.c_str(), 0400);
            result.status = AttachmentStatus::Written;
            result.path = file.path;
        } else {
            result.reason = Reason(copies.empty() ? error : file.error);
        }
    } else {
        result.path = params.target;
        const bool written = params.replace
                                 ? Replace(*mail, params.part, params.target, &error)
                                 : mail->SaveAttachment(params.part, params.target, &error);
        if (written) {
            result.status = AttachmentStatus::Written;
        } else {
            result.reason = Reason(error);
        }
    }
    ::unlink(source.c_str());
    // Stopped after the file was written: an opened copy is not opened, a saved file is whole
    // and stays.
    if (result.status == AttachmentStatus::Written && params.action == AttachmentAction::Open &&
        stop.load() != 0) {
        ::unlink(result.path.c_str());
        result.path.clear();
        result.status = AttachmentStatus::Stopped;
    }
    return result;
}

}  // namespace dbx
