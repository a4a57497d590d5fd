#include "store_damage.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

#include "little_endian.h"
#include "rng.h"
#include "store_builder.h"

namespace dbx::gen {
namespace {

constexpr std::uint32_t kPastEnd = 0xFFFFFF00u;
constexpr std::size_t kCopyChunk = 1 << 20;

class StoreBytes {
  public:
    explicit StoreBytes(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd_ < 0) Fail();
    }
    ~StoreBytes() {
        if (fd_ >= 0) ::close(fd_);
    }
    std::uint32_t U32(std::uint64_t at) {
        std::uint8_t b[4] = {};
        if (::pread(fd_, b, 4, off_t(at)) != 4) Fail();
        return LoadU32(b);
    }
    void PutU32(std::uint64_t at, std::uint32_t v) {
        std::uint8_t b[4];
        StoreU32(b, v);
        if (::pwrite(fd_, b, 4, off_t(at)) != 4) Fail();
    }
    void Zero(std::uint64_t at, std::size_t n) {
        const std::vector<std::uint8_t> zeros(n);
        if (::pwrite(fd_, zeros.data(), n, off_t(at)) != ssize_t(n)) Fail();
    }
    // The message's blocks, in chain order (the store is still whole here).
    std::vector<std::uint32_t> Chain(std::uint32_t first) {
        std::vector<std::uint32_t> blocks;
        for (std::uint32_t b = first; b != 0 && blocks.size() < (1u << 20); b = U32(b + 12)) {
            blocks.push_back(b);
        }
        return blocks;
    }
    int Fd() const { return fd_; }
    [[noreturn]] void Fail() const { throw std::runtime_error("cannot damage " + path_); }

  private:
    std::string path_;
    int fd_ = -1;
};

// Moves the file's bytes by `shift` (positive: room at the start, filled with garbage;
// negative: that many bytes cut off the start).
void Shift(StoreBytes& file, std::int64_t shift, Rng& rng) {
    const off_t size = ::lseek(file.Fd(), 0, SEEK_END);
    std::vector<std::uint8_t> chunk(kCopyChunk);
    if (shift > 0) {
        for (off_t end = size; end > 0;) {
            const off_t start = std::max<off_t>(0, end - off_t(kCopyChunk));
            const auto n = std::size_t(end - start);
            if (::pread(file.Fd(), chunk.data(), n, start) != ssize_t(n) ||
                ::pwrite(file.Fd(), chunk.data(), n, start + shift) != ssize_t(n)) {
                file.Fail();
            }
            end = start;
        }
        std::vector<std::uint8_t> garbage(static_cast<std::size_t>(shift));
        rng.Fill(garbage.data(), garbage.size());
        if (::pwrite(file.Fd(), garbage.data(), garbage.size(), 0) != ssize_t(garbage.size())) {
            file.Fail();
        }
        return;
    }
    const off_t cut = off_t(-shift);
    for (off_t at = cut; at < size; at += off_t(kCopyChunk)) {
        const auto n = std::size_t(std::min<off_t>(off_t(kCopyChunk), size - at));
        if (::pread(file.Fd(), chunk.data(), n, at) != ssize_t(n) ||
            ::pwrite(file.Fd(), chunk.data(), n, at - cut) != ssize_t(n)) {
            file.Fail();
        }
    }
    if (::ftruncate(file.Fd(), std::max<off_t>(0, size - cut)) != 0) file.Fail();
}

std::uint32_t RecordSpan(StoreBytes& file, const ManifestEntry& e) {
    // A live record spans 12 + L; a freed one says its span in its third word.
    return e.status == MessageStatus::Existing ? 12 + file.U32(e.recordOffset + 4)
                                               : file.U32(e.recordOffset + 8);
}

}  // namespace

void DamageStore(const std::string& path, std::vector<ManifestEntry>& messages,
                 const ChainDamage& damage) {
    StoreBytes file(path);
    Rng rng(damage.seed * 0x9E3779B97F4A7C15u + 17);
    std::vector<std::size_t> order(messages.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[rng.Below(i)]);

    // Each kind takes messages from the shuffled order that suit it and are still whole.
    std::size_t next = 0;
    auto take = [&](std::uint32_t count, auto suits, auto apply) {
        for (std::size_t tries = 0; count > 0 && tries < order.size(); ++tries) {
            ManifestEntry& e = messages[order[next++ % order.size()]];
            if (!e.damage.empty() || !suits(e)) continue;
            apply(e);
            --count;
        }
    };
    const auto blocks = [](const ManifestEntry& e) { return build::BlocksFor(e.bodySize); };
    const auto live = [](const ManifestEntry& e) { return e.status == MessageStatus::Existing; };

    take(damage.zeroedRecords, live, [&](ManifestEntry& e) {
        file.Zero(e.recordOffset, RecordSpan(file, e));
        e.damage = "record-zeroed";
        e.expect = "orphaned";
        e.expectBytes = e.bodySize;
    });
    take(
        damage.freedChains,
        [](const ManifestEntry& e) { return e.status == MessageStatus::Deleted; },
        [&](ManifestEntry& e) {
            file.Zero(e.recordOffset, RecordSpan(file, e));
            e.damage = "freed-record-zeroed";
            e.expect = "orphaned";
            e.expectBytes = e.bodySize;
        });
    take(
        damage.brokenChains, [&](const ManifestEntry& e) { return live(e) && blocks(e) >= 3; },
        [&](ManifestEntry& e) {
            const std::vector<std::uint32_t> chain = file.Chain(e.bodyOffset);
            const std::size_t k = 1 + std::size_t(rng.Below(chain.size() - 2));
            file.Zero(chain[k], build::kBlockSize);
            e.damage = "chain-broken";
            e.expect = "incomplete";
            e.expectBytes = std::uint32_t(k * build::kBlockData);
            e.tailOffset = chain[k + 1];
            e.tailBytes = e.bodySize - std::uint32_t((k + 1) * build::kBlockData);
        });
    take(
        damage.wipedFirstBlocks, [&](const ManifestEntry& e) { return live(e) && blocks(e) >= 2; },
        [&](ManifestEntry& e) {
            const std::vector<std::uint32_t> chain = file.Chain(e.bodyOffset);
            file.Zero(chain[0], build::kBlockSize);
            e.damage = "first-block-zeroed";
            e.expect = "failed";
            e.expectBytes = 0;
            e.tailOffset = chain[1];
            e.tailBytes = e.bodySize - build::kBlockData;
        });
    take(damage.loops, live, [&](ManifestEntry& e) {
        const std::vector<std::uint32_t> chain = file.Chain(e.bodyOffset);
        file.PutU32(chain.back() + 12, chain.front());
        e.damage = "chain-loops";
        e.expect = "incomplete";
        e.expectBytes = e.bodySize;
    });
    take(damage.nextPastEnd, live, [&](ManifestEntry& e) {
        const std::vector<std::uint32_t> chain = file.Chain(e.bodyOffset);
        file.PutU32(chain.back() + 12, kPastEnd);
        e.damage = "next-past-end";
        e.expect = "incomplete";
        e.expectBytes = e.bodySize;
    });

    if (damage.cut) {
        for (ManifestEntry& e : messages) {
            bool bodyGone = false;  // some of its blocks lie in the part cut off
            for (std::uint32_t b : file.Chain(e.bodyOffset)) bodyGone |= b < damage.cut;
            if (e.recordOffset >= damage.cut && !bodyGone) continue;
            if (e.damage.empty()) {
                e.damage = "start-cut";
                e.expect = bodyGone ? "lost" : "orphaned";
                e.expectBytes = bodyGone ? 0 : e.bodySize;
            }
        }
        Shift(file, -std::int64_t(damage.cut), rng);
    }
    if (damage.prepend) Shift(file, std::int64_t(damage.prepend), rng);
}

}  // namespace dbx::gen
