#include "preview/missing_mail_note.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "output_path.h"

namespace dbx {

const char* const kMissingMailNote =
    "Nothing of this message can be shown: its first block is gone from the store.\n";

std::string WriteMissingMailNote(const std::string& folder) {
    if (folder.empty()) return {};
    const std::string path = JoinPath(folder, "MailGone.txt");
    // The folder is our private one; an old note is replaced, a link is never followed.
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return {};
    const std::size_t length = std::strlen(kMissingMailNote);
    const bool written = ::write(fd, kMissingMailNote, length) == ssize_t(length);
    const bool closed = ::close(fd) == 0;
    return written && closed ? path : std::string();
}

}  // namespace dbx
