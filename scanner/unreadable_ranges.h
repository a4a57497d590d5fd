#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace dbx {

// Bytes of a store that could not be read, and why (an errno value).
struct UnreadableRange {
    std::uint64_t begin = 0;
    std::uint64_t length = 0;
    int error = 0;
    std::uint64_t End() const { return begin + length; }
};

// What could not be read during one scan (and the extractions after it), at the file's own
// positions: ranges that touch or overlap are merged (touching ones only with the same error).
// The first kKeptRanges separate ranges are kept exactly; further ones are only counted, and
// one of those met again much later may be counted twice. Safe to use from several threads.
class UnreadableRanges {
  public:
    static constexpr std::size_t kKeptRanges = 512;

    void Add(std::uint64_t begin, std::uint64_t length, int error);

    // True when every byte of [begin, begin + length) is known to be unreadable; `error` is
    // then the reason of the first of them. Readers use it to spare a failing disk a retry.
    bool Covers(std::uint64_t begin, std::uint64_t length, int& error) const;

    // The kept ranges, in file order.
    std::vector<UnreadableRange> Ranges() const;
    // All ranges met, kept or counted.
    std::size_t Count() const;
    std::uint64_t Bytes() const;
    bool Empty() const { return Count() == 0; }

  private:
    struct Tail {
        std::uint64_t end;
        int error;
    };
    bool CoversLocked(std::uint64_t begin, std::uint64_t end, int& error) const;

    // Ranges past the cap that were counted last: a reader that comes back over them (loads
    // overlap) neither tries them again nor counts them twice.
    static constexpr std::size_t kRecentExtra = 64;

    mutable std::mutex mutex_;
    std::map<std::uint64_t, Tail> kept_;  // begin -> end and error
    std::uint64_t keptBytes_ = 0;
    std::size_t extraRanges_ = 0;
    std::uint64_t extraBytes_ = 0;
    std::deque<UnreadableRange> recentExtra_;
};

// "could not read 4096 bytes at 0x8000: Input/output error"
std::string DescribeUnreadable(const UnreadableRange& range);

}  // namespace dbx
