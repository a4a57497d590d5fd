#include "output_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace dbx {

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

int CreateExclusive(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool WriteAll(int fd, const void* data, std::size_t n) {
    const auto* bytes = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t done = ::write(fd, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done == 0) errno = EIO;  // nothing taken and no reason given: it would not end
        if (done <= 0) return false;
        bytes += done;
        n -= std::size_t(done);
    }
    return true;
}

}  // namespace dbx
