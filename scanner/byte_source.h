#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "page_bytes.h"
#include "store_file.h"

namespace dbx {

// Reads of a store bounded by the length taken when the scan opened it: nothing at or past
// Length() is ever returned, even when the file has grown since.
class ByteSource {
  public:
    explicit ByteSource(std::uint64_t length) : length_(length) {}
    virtual ~ByteSource() = default;

    std::uint64_t Length() const { return length_; }

    // Copies up to `n` bytes at `pos`; returns how many (fewer at the bound or the file's end).
    std::size_t Read(std::uint64_t pos, void* dst, std::size_t n) {
        if (pos >= length_) return 0;
        if (n > length_ - pos) n = std::size_t(length_ - pos);
        if (n == 0) return 0;
        if (const std::uint8_t* p = InView(pos, n)) {
            std::memcpy(dst, p, n);
            return n;
        }
        return Fetch(pos, dst, n);
    }
    bool ReadExact(std::uint64_t pos, void* dst, std::size_t n) { return Read(pos, dst, n) == n; }

    // The `n` bytes at `pos` when they are already in memory and within the bound, else null.
    const std::uint8_t* Peek(std::uint64_t pos, std::size_t n) {
        const std::uint8_t* p = InView(pos, n);
        return p ? p : PeekElsewhere(pos, n);
    }

  protected:
    // Called with a range that lies within the bound and outside the view.
    virtual std::size_t Fetch(std::uint64_t pos, void* dst, std::size_t n) = 0;
    virtual const std::uint8_t* PeekElsewhere(std::uint64_t /*pos*/, std::size_t /*n*/) {
        return nullptr;
    }
    // Bytes in memory that reads are served from without a call: the probes' hot path.
    void SetView(const std::uint8_t* data, std::uint64_t begin, std::size_t size) {
        view_ = data;
        viewBegin_ = begin;
        viewSize_ = size;
    }

  private:
    const std::uint8_t* InView(std::uint64_t pos, std::size_t n) const {
        if (pos < viewBegin_ || pos - viewBegin_ > viewSize_ ||
            n > viewSize_ - (pos - viewBegin_)) {
            return nullptr;
        }
        return view_ ? view_ + (pos - viewBegin_) : nullptr;
    }

    std::uint64_t length_;
    const std::uint8_t* view_ = nullptr;
    std::uint64_t viewBegin_ = 0;
    std::size_t viewSize_ = 0;
};

// Every read goes to the file.
class FileSource : public ByteSource {
  public:
    FileSource(const StoreFile& file, std::uint64_t length) : ByteSource(length), file_(file) {}

    // Bytes of [pos, pos + n) that this source's reads had to give as zeros (the disk failed
    // them). It remembers the ranges of its recent reads: at least all that its buffers hold.
    std::uint64_t LostWithin(std::uint64_t pos, std::uint64_t n) const;

  protected:
    std::size_t Fetch(std::uint64_t pos, void* dst, std::size_t n) override {
        const std::size_t known = lost_.size();
        const std::size_t got = file_.ReadAt(pos, dst, n, &lost_);
        if (lost_.size() != known) ForgetOldLosses();
        return got;
    }

  private:
    // More than the separate ranges that fit in the largest buffer (one good sector between
    // two bad ones): the oldest half goes past this.
    static constexpr std::size_t kRememberedLosses = 2048;
    void ForgetOldLosses();

    const StoreFile& file_;
    std::vector<UnreadableRange> lost_;
};

// Keeps one stretch of the store in memory for the scan, and a smaller one for the scattered
// reads outside it (a damaged record may send the recognisers far away, byte by byte). The
// memory behind the scan's bytes is zero-padded so that vector loads may run a little past them.
class BufferedSource : public FileSource {
  public:
    static constexpr std::size_t kPadding = 64;

    BufferedSource(const StoreFile& file, std::uint64_t length, std::size_t capacity);

    // Loads up to `capacity` bytes from `pos`; returns a pointer to the first of them.
    const std::uint8_t* Load(std::uint64_t pos);
    // Memory of the store's byte `pos`, for the last Load's pos <= pos < ViewEnd() + kPadding.
    const std::uint8_t* At(std::uint64_t pos) const {
        return main_.bytes.data() + (pos - main_.begin);
    }
    // End of the memory that may be looked at (loaded bytes plus zero padding up to capacity).
    std::uint64_t ViewEnd() const { return main_.begin + capacity_; }
    // For forward passes: the loaded bytes from `pos` on, at least min(want, Length() - pos)
    // of them (loading from `pos` when they are not all in memory). `available` is their
    // count, 0 at the end.
    const std::uint8_t* Span(std::uint64_t pos, std::size_t want, std::size_t& available);

  protected:
    std::size_t Fetch(std::uint64_t pos, void* dst, std::size_t n) override;
    const std::uint8_t* PeekElsewhere(std::uint64_t pos, std::size_t n) override;

  private:
    struct Stretch {
        PageBytes bytes;
        std::uint64_t begin = 0;
        std::size_t loaded = 0;
        const std::uint8_t* Find(std::uint64_t pos, std::size_t n) const;
    };
    static constexpr std::size_t kSideCapacity = 64 * 1024;
    static constexpr std::size_t kSidePage = 4096;

    std::size_t capacity_;
    Stretch main_;
    Stretch side_;
};

}  // namespace dbx
