#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "piece_map.h"
#include "read_device.h"
#include "unreadable_ranges.h"

namespace dbx {

// Error() of a store that is neither a regular file nor a block device: reading a pipe or a
// terminal could wait for ever.
constexpr int kNotRegularFile = ENODEV;

// A mail store opened read-only. The file may be changed by others while it is open: reads
// past its current end come back short, never fault. A disk that fails to read some of it
// costs only the sectors that fail: they read as zeros and are recorded (see SectorReader).
class StoreFile {
  public:
    StoreFile() = default;
    ~StoreFile();
    StoreFile(StoreFile&& other) noexcept;
    StoreFile& operator=(StoreFile&& other) noexcept;
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // Opens `path` for reading only: a regular file or a block device (a disk image). On
    // failure returns false and sets Error() (an errno value; EISDIR for a folder,
    // kNotRegularFile for pipes, sockets and character devices).
    bool Open(const std::string& path);
    void Close();
    int Error() const { return error_; }

    // Length in bytes as seen now (not cached), in the store's own positions.
    std::uint64_t CurrentLength() const;

    // Positions become the store's own when its bytes do not sit where they name themselves:
    // byte P of the file is read as position P + displacement. Positive when the store's
    // start was cut off (those positions read as zeros), negative when bytes were put before it.
    void SetDisplacement(std::int64_t displacement) { displacement_ = displacement; }
    std::int64_t Displacement() const { return displacement_; }
    // A store in pieces: each range of positions at its own displacement, the displacement
    // above elsewhere (null: none).
    void SetPieces(std::shared_ptr<const PieceMap> pieces) { pieces_ = std::move(pieces); }

    // Where the bytes come from (null: the file itself, through pread).
    void SetDevice(std::shared_ptr<const ReadDevice> device) { device_ = std::move(device); }
    // Records what could not be read, and spares known unreadable sectors a second try.
    void SetUnreadable(UnreadableRanges* unreadable) { unreadable_ = unreadable; }
    UnreadableRanges* Unreadable() const { return unreadable_; }
    // A raised flag ends the retries of a failing read between two sector reads.
    void SetStopFlag(const std::atomic<int>* stop) { stop_ = stop; }

    // Reads up to `n` bytes at `pos`; returns how many were read (fewer at the end of the file
    // or on a stop). Unreadable sectors read as zeros; with `lost`, their ranges are appended
    // to it at the store's own positions.
    std::size_t ReadAt(std::uint64_t pos, void* dst, std::size_t n,
                       std::vector<UnreadableRange>* lost = nullptr) const;

    // The file as it lies, whatever the displacement (`lost` at the file's positions).
    std::uint64_t FileLength() const;
    // The first file position from `pos` on that may hold other bytes than zeros: past the
    // holes of a sparse image file. `pos` itself when the file cannot say (a device seam).
    std::uint64_t NextData(std::uint64_t pos) const;
    std::size_t ReadFile(std::uint64_t pos, char* dst, std::size_t n,
                         std::vector<UnreadableRange>* lost = nullptr) const;

  private:
    std::size_t ReadShifted(std::uint64_t pos, void* dst, std::size_t n, std::int64_t displacement,
                            std::vector<UnreadableRange>* lost) const;

    int fd_ = -1;
    int error_ = 0;
    std::int64_t displacement_ = 0;
    std::shared_ptr<const PieceMap> pieces_;
    std::shared_ptr<const ReadDevice> device_;
    UnreadableRanges* unreadable_ = nullptr;
    const std::atomic<int>* stop_ = nullptr;
};

// Readable text for an errno value of StoreFile::Open.
std::string DescribeOpenError(int error);

}  // namespace dbx
