#include "store_file.h"

#include "sector_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace dbx {

StoreFile::~StoreFile() {
    Close();
}

StoreFile::StoreFile(StoreFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      error_(other.error_),
      displacement_(other.displacement_),
      pieces_(std::move(other.pieces_)),
      device_(std::move(other.device_)),
      unreadable_(other.unreadable_),
      stop_(other.stop_) {}

StoreFile& StoreFile::operator=(StoreFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        displacement_ = other.displacement_;
        pieces_ = std::move(other.pieces_);
        device_ = std::move(other.device_);
        unreadable_ = other.unreadable_;
        stop_ = other.stop_;
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
    // Opened for reading only: a failed close loses nothing.
    if (fd_ >= 0) (void)::close(fd_);
    fd_ = -1;
}

std::uint64_t StoreFile::CurrentLength() const {
    const std::uint64_t length = FileLength();
    std::uint64_t shifted = length + std::uint64_t(displacement_);
    if (displacement_ < 0 && length < std::uint64_t(-displacement_)) shifted = 0;
    return pieces_ ? std::max(shifted, pieces_->End()) : shifted;
}

std::uint64_t StoreFile::NextData(std::uint64_t pos) const {
    if (fd_ < 0 || device_ || pos > std::uint64_t(INT64_MAX)) return pos;
    const off_t data = ::lseek(fd_, off_t(pos), SEEK_DATA);
    if (data >= 0) return std::max(pos, std::uint64_t(data));
    // ENXIO: nothing but a hole from here on; other errors: the file does not say.
    return errno == ENXIO ? std::max(pos, FileLength()) : pos;
}

std::uint64_t StoreFile::FileLength() const {
    if (fd_ < 0) return 0;
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) return std::uint64_t(st.st_size);
    // Block devices report no size through fstat.
    off_t end = ::lseek(fd_, 0, SEEK_END);
    return end > 0 ? std::uint64_t(end) : 0;
}

std::size_t StoreFile::ReadAt(std::uint64_t pos, void* dst, std::size_t n,
                              std::vector<UnreadableRange>* lost) const {
    if (!pieces_ || pieces_->Empty()) return ReadShifted(pos, dst, n, displacement_, lost);
    // Each piece is read at its own displacement.
    auto* out = static_cast<char*>(dst);
    std::size_t got = 0;
    while (got < n) {
        std::uint64_t runEnd = 0;
        const std::int64_t d = pieces_->At(pos + got, displacement_, runEnd);
        const auto part = std::size_t(std::min<std::uint64_t>(n - got, runEnd - (pos + got)));
        const std::size_t read = ReadShifted(pos + got, out + got, part, d, lost);
        got += read;
        if (read < part) break;
    }
    return got;
}

std::size_t StoreFile::ReadShifted(std::uint64_t pos, void* dst, std::size_t n,
                                   std::int64_t displacement,
                                   std::vector<UnreadableRange>* lost) const {
    auto* out = static_cast<char*>(dst);
    if (displacement == 0) return ReadFile(pos, out, n, lost);
    const std::size_t before = lost ? lost->size() : 0;
    std::size_t got = 0;
    if (displacement < 0) {
        const std::uint64_t shift = std::uint64_t(-displacement);
        if (pos > UINT64_MAX - shift) return 0;
        got = ReadFile(pos + shift, out, n, lost);
    } else {
        const std::uint64_t shift = std::uint64_t(displacement);
        if (pos >= shift) {
            got = ReadFile(pos - shift, out, n, lost);
        } else {
            // Positions before the file's first byte were cut off with what they held.
            const std::size_t missing = std::size_t(std::min<std::uint64_t>(n, shift - pos));
            std::memset(out, 0, missing);
            if (missing == n || FileLength() == 0) return missing;
            got = missing + ReadFile(0, out + missing, n - missing, lost);
        }
    }
    // What was lost is told at the store's own positions.
    if (lost) {
        for (std::size_t i = before; i < lost->size(); ++i) {
            (*lost)[i].begin = std::uint64_t(std::int64_t((*lost)[i].begin) + displacement);
        }
    }
    return got;
}

std::size_t StoreFile::ReadFile(std::uint64_t pos, char* out, std::size_t n,
                                std::vector<UnreadableRange>* lost) const {
    SectorReader reader;
    reader.fd = fd_;
    reader.device = device_.get();
    reader.unreadable = unreadable_;
    reader.stop = stop_;
    return reader.Read(pos, out, n, lost);
}

std::string DescribeOpenError(int error) {
    if (error == EISDIR) return "it is a folder, not a mail store";
    if (error == kNotRegularFile) return "not a regular file";
    return std::strerror(error);
}

}  // namespace dbx
