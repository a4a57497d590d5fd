#include "failing_disk.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dbx::test {

void FailingDisk::Fail(std::uint64_t begin, std::uint64_t length, int error, int times) {
    std::lock_guard lock(mutex_);
    ranges_.push_back({begin, begin + length, error, times});
}

ssize_t FailingDisk::Read(int fd, void* dst, std::size_t n, std::uint64_t pos) const {
    const std::size_t call = ++calls_;
    if (onRead_) onRead_(pos, n);
    if (interruptEvery_ > 0 && call % std::size_t(interruptEvery_) == 0) {
        errno = EINTR;
        return -1;
    }
    if (shortReads_ > 0) n = std::min(n, shortReads_);
    {
        std::lock_guard lock(mutex_);
        std::uint64_t end = pos + n;
        for (Range& r : ranges_) {
            if (r.times < 0 || r.end <= pos || r.begin >= end) continue;
            if (r.begin <= pos) {
                if (r.times > 0 && --r.times == 0) r.times = -1;  // the last failure
                failed_.push_back({pos, n});
                ++failures_;
                errno = r.error;
                return -1;
            }
            end = r.begin;  // the bytes before it come back
        }
        n = std::size_t(end - pos);
    }
    return ::pread(fd, dst, n, off_t(pos));
}

std::size_t FailingDisk::FailuresAt(std::uint64_t pos, std::size_t atMost) const {
    std::lock_guard lock(mutex_);
    return std::size_t(std::count_if(failed_.begin(), failed_.end(), [&](const FailedCall& c) {
        return c.pos == pos && c.n <= atMost;
    }));
}

}  // namespace dbx::test
