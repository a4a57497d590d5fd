#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store_file.h"
#include "unreadable_ranges.h"

namespace dbx {

// Reads of a store that mostly lie just after each other (the blocks of chains), served from
// one window of it read at once. Only for a store whose every sector was read already: a
// window touches sectors a read of its own would not, and a failing disk records them.
class WindowReads {
  public:
    // Whether positions are the store's own (StoreFile::ReadAt) or the file's as it lies
    // (StoreFile::ReadFile).
    enum class Positions { Store, File };
    // A window of 0 bytes reads each read by itself.
    WindowReads(const StoreFile& file, std::size_t window, Positions positions = Positions::Store)
        : file_(file), window_(window), positions_(positions) {}

    // As StoreFile::ReadAt (or ReadFile), with what was lost told within [pos, pos + n) only.
    std::size_t ReadAt(std::uint64_t pos, void* dst, std::size_t n,
                       std::vector<UnreadableRange>* lost);

  private:
    std::size_t Direct(std::uint64_t pos, void* dst, std::size_t n,
                       std::vector<UnreadableRange>* lost) const;
    bool Holds(std::uint64_t pos, std::size_t n) const {
        return pos >= begin_ && pos - begin_ <= got_ && n <= got_ - (pos - begin_);
    }

    const StoreFile& file_;
    std::vector<std::uint8_t> window_;
    std::uint64_t begin_ = 0;
    std::size_t got_ = 0;
    std::vector<UnreadableRange> lost_;  // of the window
    Positions positions_;
};

}  // namespace dbx
