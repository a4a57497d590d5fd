// mail-page MESSAGE OUTDIR [--source | --raw]: writes the page the preview pane would show for
// one message file: the decoded page, the message's source (--source), or the raw preview (the
// fallback for messages that cannot be decoded, and what --raw asks for). The page's path is
// the last line printed.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "mail_view.h"
#include "preview_builder.h"
#include "raw_view.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mail-page MESSAGE OUTDIR [--source | --raw]\n"
                 "  Writes the preview page of MESSAGE (an .eml file) into OUTDIR and prints its "
                 "path.\n  --source: the message's source as text instead of the decoded page.\n"
                 "  --raw: the raw preview instead of the decoded page.\n");
    return 2;
}

int RawPage(const std::string& message, const std::string& folder) {
    const dbx::PreviewResult raw = dbx::BuildPreviewFile(message, folder);
    if (raw.kind == dbx::PreviewKind::None) {
        std::fprintf(stderr, "mail-page: the raw preview of %s could not be written\n",
                     message.c_str());
        return 1;
    }
    if (raw.kind == dbx::PreviewKind::Html &&
        !dbx::SecureRawPreviewFile(raw.path, "windows-1252")) {
        std::fprintf(stderr, "mail-page: %s could not be rewritten\n", raw.path.c_str());
        return 1;
    }
    std::printf("raw preview (%s)\n%s\n", raw.kind == dbx::PreviewKind::Html ? "HTML" : "text",
                raw.path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return Usage();
    const std::string message = argv[1];
    const std::string folder = argv[2];
    const bool source = argc == 4 && std::strcmp(argv[3], "--source") == 0;
    const bool raw = argc == 4 && std::strcmp(argv[3], "--raw") == 0;
    if (argc == 4 && !source && !raw) return Usage();
    struct stat info {};
    if (::stat(message.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "mail-page: %s: no such message file\n", message.c_str());
        return 1;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "mail-page: %s: %s\n", folder.c_str(), std::strerror(errno));
        return 1;
    }
    if (raw) return RawPage(message, folder);
    if (source) {
        const dbx::MailView page = dbx::BuildSourceView(message, folder);
        if (page.status != dbx::MailViewStatus::Shown) {
            std::fprintf(stderr, "mail-page: the source of %s could not be written\n",
                         message.c_str());
            return 1;
        }
        std::printf("source\n%s\n", page.pagePath.c_str());
        return 0;
    }
    const dbx::MailView view = dbx::BuildMailView(message, folder);
    switch (view.status) {
        case dbx::MailViewStatus::Shown:
            std::printf(
                "decoded page: %d inline pictures, %d attachments, %d remote pictures "
                "blocked\n%s\n",
                view.pictures, view.attachments, view.remoteImages, view.pagePath.c_str());
            return 0;
        case dbx::MailViewStatus::Unreadable:
            std::printf("not readable as a mail: ");
            return RawPage(message, folder);
        default:
            std::fprintf(stderr, "mail-page: the page could not be written in %s\n",
                         folder.c_str());
            return 1;
    }
}
