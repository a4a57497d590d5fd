#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "read_device.h"

namespace dbx::test {

// A disk that is dying in chosen ways, between a store file and its reads: ranges that fail
// (EIO unless told), reads that come back short, interruptions. A read that starts before a
// failing range gives the bytes up to it, as a disk does; one that starts in it fails.
class FailingDisk : public ReadDevice {
  public:
    // Reads touching [begin, begin + length) fail with `error`; `times` > 0 fails only that
    // many reads, then the range reads again.
    void Fail(std::uint64_t begin, std::uint64_t length, int error = 5 /* EIO */, int times = 0);
    // Every read gives at most `most` bytes.
    void ShortReads(std::size_t most) { shortReads_ = most; }
    // Every `every`-th call fails with EINTR before reading anything.
    void Interrupt(int every) { interruptEvery_ = every; }
    // Called before every read with its position and size (e.g. to raise a stop flag).
    void OnRead(std::function<void(std::uint64_t pos, std::size_t n)> hook) {
        onRead_ = std::move(hook);
    }

    ssize_t Read(int fd, void* dst, std::size_t n, std::uint64_t pos) const override;

    // Calls so far, and those that failed because of a failing range.
    std::size_t Calls() const { return calls_; }
    std::size_t Failures() const { return failures_; }
    // Failed calls that started at `pos` and asked for at most `n` bytes.
    std::size_t FailuresAt(std::uint64_t pos, std::size_t atMost) const;

  private:
    struct Range {
        std::uint64_t begin;
        std::uint64_t end;
        int error;
        int times;  // 0: for ever
    };
    struct FailedCall {
        std::uint64_t pos;
        std::size_t n;
    };

    mutable std::mutex mutex_;
    mutable std::vector<Range> ranges_;
    mutable std::vector<FailedCall> failed_;
    std::size_t shortReads_ = 0;
    int interruptEvery_ = 0;
    std::function<void(std::uint64_t, std::size_t)> onRead_;
    mutable std::atomic<std::size_t> calls_{0};
    mutable std::atomic<std::size_t> failures_{0};
};

}  // namespace dbx::test
