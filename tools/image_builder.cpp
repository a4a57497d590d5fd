#include "image_builder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "rng.h"

namespace dbx::gen {
namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr int kTriesPerPiece = 10000;

}  // namespace

ImageBuilder::ImageBuilder(const std::string& path, std::uint64_t size, bool overwrite)
    : file_(path, overwrite) {
    file_.Resize(size);
}

void ImageBuilder::Random(std::uint64_t at, std::uint64_t n, std::uint64_t seed) {
    Rng rng(seed);
    std::vector<std::uint8_t> chunk(kChunk);
    while (n > 0) {
        const auto part = std::size_t(std::min<std::uint64_t>(n, kChunk));
        rng.Fill(chunk.data(), part);
        file_.WriteAt(at, chunk.data(), part);
        at += part;
        n -= part;
    }
}

void ImageBuilder::Put(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    file_.WriteAt(at, bytes.data(), bytes.size());
    taken_.emplace_back(at, at + bytes.size());
}

std::vector<std::uint64_t> ImageBuilder::Scatter(const std::vector<std::uint8_t>& bytes,
                                                 std::size_t pieceSize, std::uint64_t from,
                                                 std::uint64_t to, std::uint64_t cluster,
                                                 std::uint64_t seed) {
    if (pieceSize == 0 || cluster == 0 || to <= from) throw std::invalid_argument("no room");
    Rng rng(seed);
    const std::uint64_t first = (from + cluster - 1) / cluster;
    const std::uint64_t slots = to / cluster > first ? to / cluster - first : 0;
    std::vector<std::uint64_t> placed;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        const std::size_t n = std::min(pieceSize, bytes.size() - at);
        bool done = false;
        for (int t = 0; t < kTriesPerPiece && !done; ++t) {
            const std::uint64_t begin = (first + rng.Below(slots)) * cluster;
            const std::uint64_t end = begin + n;
            if (end > to) continue;
            const bool free = std::none_of(taken_.begin(), taken_.end(), [&](const auto& r) {
                return begin < r.second && r.first < end;
            });
            if (!free) continue;
            taken_.emplace_back(begin, end);
            file_.WriteAt(begin, bytes.data() + at, n);
            placed.push_back(begin);
            done = true;
        }
        if (!done) throw std::invalid_argument("the pieces do not fit");
    }
    return placed;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace dbx::gen
