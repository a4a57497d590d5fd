#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output_file.h"

// Writes disk images that hold stores as a disk holds deleted files: whole at a sector, or cut
// into pieces at random cluster positions, among random bytes. The file is sparse where
// nothing is written, so an image of many GiB costs only what it holds.
namespace dbx::gen {

class ImageBuilder {
  public:
    static constexpr std::uint64_t kSector = 512;

    // A new image of `size` bytes (an existing file is an error unless `overwrite`).
    ImageBuilder(const std::string& path, std::uint64_t size, bool overwrite = false);

    // Random bytes over [at, at + n), as a used disk holds between files.
    void Random(std::uint64_t at, std::uint64_t n, std::uint64_t seed);
    // `bytes` at `at` (a store whole, e.g. at the start of a partition at sector 63, or a part
    // of one cut by hand).
    void Put(std::uint64_t at, std::span<const std::uint8_t> bytes);
    // `bytes` cut into pieces of `pieceSize`, each at a free `cluster`-aligned position of
    // [from, to) (clear of what Put and Scatter placed before), in random order; returns where
    // each piece went (in the store's order).
    // Throws std::invalid_argument when they do not fit.
    std::vector<std::uint64_t> Scatter(const std::vector<std::uint8_t>& bytes,
                                       std::size_t pieceSize, std::uint64_t from, std::uint64_t to,
                                       std::uint64_t cluster, std::uint64_t seed);
    void Close() { file_.Close(); }

  private:
    OutputFile file_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> taken_;  // placed: [begin, end)
};

// The bytes of a file (a generated store), for an image to hold.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace dbx::gen
