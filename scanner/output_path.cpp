#include "output_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

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

namespace {

// True when `path` is a real folder (not a link) of ours that nobody else may enter.
bool IsPrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

std::string PrivateTempFolder() {
    std::error_code ec;
    std::string base = std::filesystem::temp_directory_path(ec).string();
    if (ec || base.empty()) base = "/tmp";
    const std::string path = JoinPath(base, "dbxrecover-" + std::to_string(::geteuid()));
    if (::mkdir(path.c_str(), 0700) == 0 || IsPrivateFolder(path)) return path;
    // The usual name is taken by something we cannot trust: use a fresh one.
    std::string fresh = JoinPath(base, "dbxrecover-XXXXXX");
    return ::mkdtemp(fresh.data()) ? fresh : std::string();
}

}  // namespace dbx
