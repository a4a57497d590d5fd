#include "store_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <utility>

namespace dbx {

StoreFile::~StoreFile() {
    Close();
}

StoreFile::StoreFile(StoreFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

StoreFile& StoreFile::operator=(StoreFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

bool StoreFile::Open(const std::string& path) {
    Close();
    error_ = 0;
    if (path.empty()) {
        error_ = ENOENT;
        return false;
    }
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come. The type
    // is then taken from what was opened, not from the path, which may have changed since.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error_ = EISDIR;
    } else if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        error_ = kNotRegularFile;
    } else {
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0 && ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0) return true;
        error_ = errno;
    }
    Close();
    return false;
}

void StoreFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::uint64_t StoreFile::CurrentLength() const {
    if (fd_ < 0) return 0;
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) return std::uint64_t(st.st_size);
    // Block devices report no size through fstat.
    off_t end = ::lseek(fd_, 0, SEEK_END);
    return end > 0 ? std::uint64_t(end) : 0;
}

std::size_t StoreFile::ReadAt(std::uint64_t pos, void* dst, std::size_t n) const {
    auto* out = static_cast<char*>(dst);
    std::size_t done = 0;
    while (fd_ >= 0 && done < n) {
        ssize_t got = ::pread(fd_, out + done, n - done, off_t(pos + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += std::size_t(got);
    }
    return done;
}

std::string DescribeOpenError(int error) {
    if (error == EISDIR) return "it is a folder, not a mail store";
    if (error == kNotRegularFile) return "not a regular file";
    return std::strerror(error);
}

}  // namespace dbx
