#include "store_generator.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "little_endian.h"
#include "mail_composer.h"
#include "record_shape.h"
#include "rng.h"
#include "store_builder.h"
#include "store_space.h"

namespace dbx::gen {
namespace {

using build::Bytes;

constexpr std::uint32_t kTreeNodeSize = 0x27C;
constexpr std::uint32_t kNodesPerTreeSegment = 25;
constexpr std::uint32_t kTreeSegmentSize = kTreeNodeSize * kNodesPerTreeSegment;
constexpr std::uint32_t kTreeNodeEntries = 0x33;
constexpr std::uint32_t kMaxDamageGap = 0x6000;
// What one message takes on average (body blocks, record, slack); only used to turn a
// deleted count into a share when the store is filled to a size.
constexpr std::uint64_t kTypicalFootprint = 28 * 1024;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::size_t TreeNodes(std::size_t records) {
    return (records + kTreeNodeEntries - 1) / kTreeNodeEntries;
}

std::uint64_t TreeBytes(std::size_t records) {
    const std::uint64_t nodes = TreeNodes(records);
    return (nodes + kNodesPerTreeSegment - 1) / kNodesPerTreeSegment * kTreeSegmentSize;
}

std::size_t RecordSize(const std::vector<build::Property>& props) {
    return build::EncodeIndexRecord(0, props).size();
}

// `count` of `n` messages, picked evenly, to be deleted.
std::vector<bool> PickDeleted(Rng& rng, std::uint32_t n, std::uint32_t count) {
    std::vector<std::uint32_t> order(n);
    for (std::uint32_t i = 0; i < n; ++i) order[i] = i;
    std::vector<bool> deleted(n, false);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::swap(order[i], order[i + rng.Below(n - i)]);
        deleted[order[i]] = true;
    }
    return deleted;
}

std::string Recipient(const Person& to) {
    return "<" + to.address + ">";
}

class Generator {
  public:
    Generator(const std::string& path, const GeneratorOptions& options)
        : options_(options),
          rng_(options.seed),
          composer_(rng_, options.folderName),
          space_(path, options.overwrite) {}

    GeneratedStore Run() {
        const bool bySize = options_.messageCount == 0;
        double share = options_.deletedShare;
        std::vector<bool> plan;
        if (!bySize) {
            const std::uint32_t n = options_.messageCount;
            plan = PickDeleted(
                rng_, n,
                std::min(n, options_.deletedCount.value_or(std::uint32_t(share * n + 0.5))));
        } else if (options_.deletedCount) {
            const double estimate =
                std::max<double>(1.0, double(options_.targetSize / kTypicalFootprint));
            share = std::min(1.0, double(*options_.deletedCount) / estimate);
        }
        // With damage, at least one wiped record and one garbage gap, early on.
        const std::uint32_t forcedLost = bySize ? 1 : options_.messageCount / 3;
        const std::uint32_t forcedGap = bySize ? 2 : options_.messageCount * 2 / 3;

        const std::uint32_t cap =
            options_.deletedCount ? *options_.deletedCount : std::uint32_t(-1);
        // The folder's first records come before any message block, as in a new store.
        space_.OpenRecordSegment();
        std::uint32_t owed = 0;
        std::uint32_t deleted = 0;
        for (std::uint32_t i = 0; bySize || i < options_.messageCount; ++i) {
            if (options_.damage) {
                if (i == forcedGap || rng_.Chance(0.02)) {
                    if (!Fits(0)) break;
                    WriteGap();
                }
                if (i == forcedLost || rng_.Chance(0.03)) {
                    Message lost = composer_.Compose();
                    if (!Fits(lost.body.size())) break;
                    WriteLost(lost);
                }
            }
            if (bySize ? rng_.Chance(share) && deleted + owed < cap : bool(plan[i])) {
                ++owed;
            }
            // A message whose freed record would be misread gives its place to another one;
            // past a few, the deletion passes on to the next message. Near the target size,
            // smaller messages may still fit where a large one did not.
            Outcome outcome = Outcome::Retry;
            for (int tries = 0, misfits = 0; outcome == Outcome::Retry;) {
                const Message m = composer_.Compose();
                if (bySize && !Fits(m.body.size())) {
                    if (++misfits > 20) return Finish(bySize);
                    continue;
                }
                outcome = WriteListed(m, owed > 0, tries++ < 8);
            }
            if (outcome == Outcome::Deleted) {
                --owed;
                ++deleted;
            }
        }
        return Finish(bySize);
    }

  private:
    enum class Outcome { Existing, Deleted, Retry };

    // Whether a message of `bodySize` bytes, with all that may come along with it, still
    // leaves room for the tree below the target size.
    bool Fits(std::size_t bodySize) const {
        if (options_.messageCount != 0) return true;
        // A stale copy and the record itself, each at most this long with its padding.
        constexpr std::size_t kRecordRoom = 2 * 1200;
        const std::size_t slots = build::BlocksFor(bodySize) + 3;  // and a jump over a few
        const std::uint64_t worst = space_.WorstGrowth(kRecordRoom, slots) +
                                    (options_.damage ? kMaxDamageGap : 0) +
                                    TreeBytes(existing_.size() + 1);
        return space_.End() + worst <= options_.targetSize;
    }

    // The record `build` makes for the next free place or, when it gives none or one the
    // scan would misread, for one a few bytes further on.
    template <typename Build>
    std::optional<Bytes> FindPlace(std::size_t size, Build build) {
        for (std::size_t pad = 0; pad <= 64; pad += 4) {
            const std::uint32_t at = space_.PeekRecord(size, pad);
            std::optional<Bytes> record = build(at);
            if (record && !HoldsInnerSelfOffset(*record, at)) return record;
        }
        return std::nullopt;
    }

    // Mostly consecutive blocks; now and then a chain starts in blocks left over earlier or
    // jumps over a few that a later message takes.
    std::vector<std::uint32_t> AllocateBlocks(std::size_t count) {
        std::vector<std::uint32_t> offsets;
        const bool reuse = !holes_.empty() && rng_.Chance(0.5);
        const std::size_t jumpAt = rng_.Chance(0.06) ? rng_.Below(count) : count;
        for (std::size_t i = 0; i < count; ++i) {
            if (reuse && !holes_.empty()) {
                offsets.push_back(holes_.front());
                holes_.erase(holes_.begin());
                continue;
            }
            if (i == jumpAt && i > 0) {
                for (int skip = int(rng_.Range(1, 3)); skip > 0; --skip) {
                    holes_.push_back(space_.NextBlockSlot());
                }
            }
            offsets.push_back(space_.NextBlockSlot());
        }
        return offsets;
    }

    std::vector<build::Property> Properties(const Message& m, std::uint32_t index,
                                            std::uint32_t bodyOffset, bool read) {
        build::MessageFields f;
        f.index = index;
        f.from = m.from.address;
        f.fromName = m.from.name;
        f.to = Recipient(m.to);
        f.toName = m.to.name;
        f.subject = m.subject;
        if (m.recordHasMessageId) f.messageId = m.messageId;
        f.filetime = build::FileTimeFromUnix(m.sent);
        f.bodyOffset = bodyOffset;
        f.bodySize = std::uint32_t(m.body.size());
        std::vector<build::Property> props = build::TypicalProperties(f);
        // Filled in once the record has its place (see EncodeRecord).
        props.push_back(build::Property{kPropOpaque, Bytes(m.opaqueSize), 0});
        std::uint32_t flags = read ? 0x10089 : 0x10009;
        if (m.kind == BodyKind::WithAttachment) flags |= 0x4000;
        // Times carry fractions of a second, as the ones Outlook Express takes from the clock.
        auto time = [this](std::int64_t seconds) {
            return build::FileTimeFromUnix(seconds) + std::int64_t(rng_.Below(kTicksPerSecond));
        };
        for (build::Property& p : props) {
            switch (p.id) {
                case build::kPropFlags:
                    p.direct = flags;
                    break;
                case build::kPropTimeSent:
                    p = build::FileTime(p.id, time(m.sent));
                    break;
                case build::kPropTimeReceived:
                    p = build::FileTime(p.id, time(m.received));
                    break;
                case build::kPropTimeSaved:
                    p = build::FileTime(p.id, time(m.received + rng_.Range(1, 900)));
                    break;
                default:
                    break;
            }
        }
        return props;
    }

    // A freed record near the next record place, or nothing when none of a few tries comes
    // out in a shape the loose recogniser reads right.
    std::optional<Bytes> FreedRecord(const Message& m, std::uint32_t index,
                                     std::uint32_t bodyOffset, bool read) {
        const std::size_t size = RecordSize(Properties(m, index, bodyOffset, read));
        return FindPlace(size, [&](std::uint32_t at) -> std::optional<Bytes> {
            // The link's own bytes can spoil the record too; then it goes to the list's end.
            for (const std::uint32_t link : {freeRecordHead_, 0u}) {
                if (!LinkReadsAsHarmlessEntry(link)) continue;
                for (int attempt = 0; attempt < 8; ++attempt) {
                    // Only the times and the opaque bytes differ between tries, not the size.
                    std::vector<build::Property> props = Properties(m, index, bodyOffset, read);
                    Bytes freed = build::FreeIndexRecord(EncodeRecord(at, props, rng_), link);
                    if (SenderAtSignComesFirst(freed, props)) return freed;
                }
            }
            return std::nullopt;
        });
    }

    void PlaceFreedRecord(const Bytes& record) {
        const std::uint32_t at = LoadU32(record.data());
        space_.PlaceRecord(at, record);
        freeRecordHead_ = at;
    }

    void PutBlocks(const std::vector<build::Block>& blocks) {
        for (const build::Block& b : blocks) space_.Put(b.offset, b.bytes);
    }

    // Writes the message, deleted when asked and its record can be freed readably; else,
    // with `mayRetry`, writes nothing and leaves the place to another message.
    Outcome WriteListed(const Message& m, bool wantDeleted, bool mayRetry) {
        const std::uint32_t index = nextIndex_;
        const std::vector<std::uint32_t> offsets = AllocateBlocks(build::BlocksFor(m.body.size()));
        const std::uint32_t bodyOffset = offsets.front();
        std::optional<Bytes> freed;
        if (wantDeleted) freed = FreedRecord(m, index, bodyOffset, m.read);
        if (wantDeleted && !freed && mayRetry) {
            holes_.insert(holes_.begin(), offsets.begin(), offsets.end());
            return Outcome::Retry;
        }
        ++nextIndex_;
        std::vector<build::Block> blocks = build::EncodeMessageBlocks(m.body, offsets);
        const bool deleted = freed.has_value();

        ManifestEntry e;
        e.index = index;
        e.bodyOffset = bodyOffset;
        e.status = deleted ? MessageStatus::Deleted : MessageStatus::Existing;
        e.from = m.from.address;
        e.fromName = m.from.name;
        e.to = Recipient(m.to);
        e.toName = m.to.name;
        e.subject = m.subject;
        e.dateSeconds = m.received;
        e.sentSeconds = m.sent;
        e.bodySize = std::uint32_t(m.body.size());

        if (deleted) {
            e.recordOffset = LoadU32(freed->data());
            PlaceFreedRecord(*freed);
            build::FreeMessageBlocks(blocks, freeBlockHead_);
            freeBlockHead_ = blocks.back().offset;
        } else {
            // A record rewritten when the message was read leaves its older copy behind.
            if (m.read && rng_.Chance(0.08)) {
                if (std::optional<Bytes> stale = FreedRecord(m, index, bodyOffset, false)) {
                    PlaceFreedRecord(*stale);
                    ++result_.staleRecords;
                }
            }
            const std::vector<build::Property> props = Properties(m, index, bodyOffset, m.read);
            const std::optional<Bytes> record = FindPlace(
                RecordSize(props), [&](std::uint32_t at) { return EncodeRecord(at, props, rng_); });
            if (!record) throw std::logic_error("no place for a record");
            e.recordOffset = LoadU32(record->data());
            space_.PlaceRecord(e.recordOffset, *record);
            existing_.push_back(e.recordOffset);
        }
        PutBlocks(blocks);
        if (options_.onMessage) options_.onMessage(e, m.body);
        result_.messages.push_back(std::move(e));
        return deleted ? Outcome::Deleted : Outcome::Existing;
    }

    // A message whose record was wiped (garbage or zeros) and whose body lost a run of
    // blocks; nothing of it may be reported.
    void WriteLost(const Message& m) {
        const std::uint32_t index = nextIndex_++;
        const std::vector<std::uint32_t> offsets = AllocateBlocks(build::BlocksFor(m.body.size()));
        std::vector<build::Block> blocks = build::EncodeMessageBlocks(m.body, offsets);
        const std::size_t size = RecordSize(Properties(m, index, offsets.front(), m.read));
        const std::uint32_t at = space_.PeekRecord(size);
        Bytes wiped(size);
        if (rng_.Chance(0.5)) FillGarbage(wiped.data(), wiped.size(), at, rng_);
        space_.PlaceRecord(at, wiped);
        const std::size_t first = rng_.Below(blocks.size());
        const std::size_t last = first + rng_.Below(blocks.size() - first);
        for (std::size_t i = first; i <= last; ++i) {
            std::fill(blocks[i].bytes.begin(), blocks[i].bytes.end(), 0);
        }
        PutBlocks(blocks);
        ++result_.lostRecords;
        result_.damagedRanges += 2;
    }

    // A stretch between segments that held something once: garbage or zeros.
    void WriteGap() {
        const std::uint64_t size = 0x200 * std::uint64_t(rng_.Range(1, kMaxDamageGap / 0x200));
        const std::uint64_t at = space_.Allocate(size);
        Bytes bytes(size);
        if (rng_.Chance(0.7)) FillGarbage(bytes.data(), bytes.size(), at, rng_);
        space_.Put(at, bytes);
        ++result_.damagedRanges;
    }

    // Leaf-shaped tree nodes listing the live records; the first one stands as the root.
    std::uint32_t WriteTree() {
        if (existing_.empty()) return 0;
        const std::size_t nodes = TreeNodes(existing_.size());
        std::uint32_t root = 0;
        for (std::size_t node = 0; node < nodes; node += kNodesPerTreeSegment) {
            const auto start = std::uint32_t(space_.Allocate(kTreeSegmentSize));
            if (node == 0) root = start;
            Bytes segment(kTreeSegmentSize);
            for (std::size_t n = node; n < std::min(nodes, node + kNodesPerTreeSegment); ++n) {
                const auto self = std::uint32_t(start + (n - node) * kTreeNodeSize);
                std::uint8_t* p = segment.data() + (self - start);
                const std::size_t first = n * kTreeNodeEntries;
                const std::size_t count =
                    std::min<std::size_t>(kTreeNodeEntries, existing_.size() - first);
                StoreU32(p, self);
                StoreU32(p + 12, self == root ? 0 : root);
                p[17] = std::uint8_t(count);
                for (std::size_t i = 0; i < count; ++i) {
                    StoreU32(p + 24 + 12 * i, existing_[first + i]);
                }
            }
            space_.Put(start, segment);
        }
        return root;
    }

    GeneratedStore Finish(bool bySize) {
        space_.FlushSegments();
        const std::uint32_t root = WriteTree();
        const auto used = std::uint32_t(space_.End());
        Bytes header =
            build::EncodeFileHeader(options_.folderName, used, std::uint32_t(existing_.size()));
        StoreU32(header.data() + 0x48, freeBlockHead_);
        StoreU32(header.data() + 0xE4, root);
        space_.Put(0, header);
        const std::uint64_t size = bySize ? std::max<std::uint64_t>(options_.targetSize, used)
                                          : (used + 0xFFFFu) & ~0xFFFFull;
        space_.Finish(size);
        result_.fileSize = size;
        result_.usedSpace = used;
        return std::move(result_);
    }

    const GeneratorOptions& options_;
    Rng rng_;
    MailComposer composer_;
    StoreSpace space_;
    std::vector<std::uint32_t> holes_;     // block slots left free, for later chains
    std::vector<std::uint32_t> existing_;  // offsets of the live records
    std::uint32_t nextIndex_ = 1;
    std::uint32_t freeBlockHead_ = 0;
    std::uint32_t freeRecordHead_ = 0;
    GeneratedStore result_;
};

}  // namespace

GeneratedStore GenerateStore(const std::string& path, const GeneratorOptions& options) {
    if (options.messageCount == 0 && options.targetSize == 0) {
        throw std::invalid_argument("give a message count or a target size");
    }
    if (options.messageCount == 0 && options.targetSize > kMaxStoreSize) {
        throw std::invalid_argument("stores hold at most 2 GiB");
    }
    if (!(options.deletedShare >= 0.0 && options.deletedShare <= 1.0)) {
        throw std::invalid_argument("the deleted share lies between 0 and 1");
    }
    if (options.folderName.size() > 0xFF) throw std::invalid_argument("folder name too long");
    bool created = false;
    try {
        Generator generator(path, options);
        created = true;
        return generator.Run();
    } catch (...) {
        if (created) ::unlink(path.c_str());  // an unfinished store is no use to anyone
        throw;
    }
}

}  // namespace dbx::gen
