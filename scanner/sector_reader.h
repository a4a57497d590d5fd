#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "read_device.h"
#include "unreadable_ranges.h"

namespace dbx {

// Reads of one opened store the way a failing disk needs them: a read that fails or comes
// back short goes on where it stopped, the rest is retried in 4 KiB pieces and a failing piece
// sector by sector (512 bytes); a sector that fails twice reads as zeros and is recorded.
// Sectors already known to be unreadable are not tried again. A raised stop flag ends the
// retries between two sector reads (the read then comes back short), and reads after it
// give nothing.
struct SectorReader {
    static constexpr std::uint64_t kSector = 512;
    static constexpr std::uint64_t kPiece = 4096;

    int fd = -1;
    const ReadDevice* device = nullptr;  // null: pread(2)
    UnreadableRanges* unreadable = nullptr;
    const std::atomic<int>* stop = nullptr;

    // Reads up to `n` bytes at file position `pos`; fewer only at the end of the file or on a
    // stop. Ranges read as zeros are appended to `lost` (when given) at file positions.
    std::size_t Read(std::uint64_t pos, char* out, std::size_t n,
                     std::vector<UnreadableRange>* lost) const;

  private:
    struct Run {
        std::size_t got = 0;
        int error = 0;  // 0: the end of the file (or all read)
    };
    Run ReadRun(std::uint64_t pos, char* out, std::size_t n) const;
    std::size_t Salvage(std::uint64_t pos, char* out, std::size_t n,
                        std::vector<UnreadableRange>* lost) const;
    // One sector's part [pos, pos + n), tried twice; false at the end of the file or on a stop.
    bool ReadSector(std::uint64_t pos, char* out, std::size_t n, std::size_t& got,
                    std::vector<UnreadableRange>* lost) const;
    bool Known(std::uint64_t pos, std::size_t n, char* out,
               std::vector<UnreadableRange>* lost) const;
    void Lose(std::uint64_t pos, std::size_t n, int error, char* out,
              std::vector<UnreadableRange>* lost) const;
};

}  // namespace dbx
