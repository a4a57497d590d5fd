#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace dbx::gen {

OutputFile::OutputFile(const std::string& path, bool overwrite) : path_(path) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    fd_ = ::open(path.c_str(), flags, 0644);
    if (fd_ < 0) Fail(errno == EEXIST ? "exists already (not replaced)" : std::strerror(errno));
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

void OutputFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::pwrite(fd_, data, n, off_t(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) Fail(std::strerror(errno));
        data += done;
        offset += std::uint64_t(done);
        n -= std::size_t(done);
    }
}

void OutputFile::Resize(std::uint64_t size) {
    if (::ftruncate(fd_, off_t(size)) != 0) Fail(std::strerror(errno));
}

void OutputFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(std::strerror(errno));
}

void OutputFile::Fail(const std::string& why) const {
    throw std::runtime_error(path_ + ": " + why);
}

}  // namespace dbx::gen
