#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "output_file.h"
#include "store_builder.h"

namespace dbx::gen {

constexpr std::uint32_t kRecordSegmentSize = 0xC000;
constexpr std::uint32_t kBlocksPerSegment = 120;
constexpr std::uint32_t kBlockSegmentSize = kBlocksPerSegment * build::kBlockSize;

// The store's file as it grows: segments are allocated one after the other from the end of
// the used space. The record segment and the block segment being filled are kept in memory,
// so records and blocks can be written out of order; everything else goes straight to its
// place.
class StoreSpace {
  public:
    StoreSpace(const std::string& path, bool overwrite) : out_(path, overwrite) {}

    std::uint64_t End() const { return end_; }
    // Throws std::invalid_argument past the largest store.
    std::uint64_t Allocate(std::uint64_t size);
    void Put(std::uint64_t offset, const build::Bytes& bytes);

    // Writes out the record segment being filled and opens a new one at the end.
    void OpenRecordSegment();
    // Where a record of `size` bytes goes, `pad` bytes after the last one: there, or at the
    // start of the next segment when it does not fit.
    std::uint32_t PeekRecord(std::size_t size, std::size_t pad = 0) const;
    // Writes a record at a place PeekRecord gave, opening the segment it lies in.
    void PlaceRecord(std::uint32_t at, const build::Bytes& record);

    std::uint32_t NextBlockSlot();

    // The most that new segments can add to the used space while `recordBytes` of records
    // and `blockSlots` blocks are still to come.
    std::uint64_t WorstGrowth(std::size_t recordBytes, std::size_t blockSlots) const;

    // Writes out the segments being filled; later writes go straight to the file.
    void FlushSegments();
    // Sets the file's size (the end may stay unwritten) and closes it.
    void Finish(std::uint64_t fileSize);

  private:
    class Segment {
      public:
        bool Holds(std::uint64_t offset, std::size_t n) const {
            return open_ && offset >= start_ && offset + n <= start_ + bytes_.size();
        }
        void Put(std::uint64_t offset, const build::Bytes& data) {
            std::copy(data.begin(), data.end(), bytes_.begin() + std::ptrdiff_t(offset - start_));
        }
        void Reset(std::uint64_t start, std::size_t size) {
            start_ = start;
            bytes_.assign(size, 0);
            open_ = true;
        }
        bool Open() const { return open_; }
        std::uint64_t Start() const { return start_; }
        const build::Bytes& Contents() const { return bytes_; }
        void Close() { open_ = false; }

      private:
        std::uint64_t start_ = 0;
        build::Bytes bytes_;
        bool open_ = false;
    };

    void Flush(Segment& segment);

    OutputFile out_;
    std::uint64_t end_ = build::kFirstSegment;
    Segment records_;
    std::size_t recordsUsed_ = 0;  // bytes
    Segment blocks_;
    std::uint32_t blocksUsed_ = 0;
};

}  // namespace dbx::gen
