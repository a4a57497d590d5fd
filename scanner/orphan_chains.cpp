#include "orphan_chains.h"

#include <algorithm>
#include <cstring>

#include "mail_headers.h"
#include "scan_store.h"
#include "store_file.h"

namespace dbx {
namespace {

constexpr std::size_t kHeaderBytes = 64 * 1024;  // read of an orphan's own header at most
constexpr std::size_t kFreedLink = 4;            // data bytes a freed block's link overwrote
constexpr std::size_t kStopPollEvery = 1024;

bool StopRequested(const DeepSearchOptions& options) {
    return options.stopFlag && options.stopFlag->load(std::memory_order_relaxed) != 0;
}

// Text as mail is, then nothing but the zero tail of a last block. Index records, tree nodes
// and other structures that happen to look like a block hold zeros among their bytes.
bool LooksLikeMailText(const std::uint8_t* data, std::size_t n) {
    std::size_t end = n;
    while (end > 0 && data[end - 1] == 0) --end;
    return end > 0 && std::memchr(data, 0, end) == nullptr;
}

class OrphanReader {
  public:
    OrphanReader(const StoreFile& file, BlockIndex& index, const DeepSearchOptions& options)
        : file_(file), index_(index), options_(options) {}

    // Walks the listed message's chain through the index, marking its blocks; true when it
    // reaches a last block.
    // A block met again (a loop, or a chain that runs into another listed one) ends it.
    bool CoverListed(std::uint32_t offset) {
        for (BlockIndex::Block* b = index_.Find(offset); b; b = index_.FindAfter(b, b->next)) {
            if (b->covered) return false;
            b->covered = true;
            if (b->next == 0) return true;
        }
        return false;
    }

    void MarkPredecessors() {
        hasPredecessor_.assign(index_.Size(), false);
        auto& blocks = index_.Blocks();
        for (const BlockIndex::Block& b : blocks) {
            if (b.covered || b.next == 0) continue;
            if (BlockIndex::Block* n = index_.FindAfter(&b, b.next); n && !n->covered) {
                hasPredecessor_[std::size_t(n - blocks.data())] = true;
            }
        }
    }

    bool IsStart(std::size_t i) const { return !index_.Blocks()[i].covered && !hasPredecessor_[i]; }

    // Takes the chain that starts at block `i`; false when it cannot be mail.
    bool Take(std::size_t i, RecoveredMessage& message) {
        auto& blocks = index_.Blocks();
        BlockIndex::Block* b = &blocks[i];
        const BlockIndex::Block first = *b;
        header_.clear();
        lostBytes_ = 0;
        bool whole = false;
        bool plausible = true;
        for (; b && !b->covered; b = index_.FindAfter(b, b->next)) {
            b->covered = true;
            if (header_.size() < kHeaderBytes) {
                if (!ReadData(*b)) break;
                if (b == &blocks[i]) plausible = FirstBlockIsText(*b);
            }
            if (b->next == 0) {
                whole = true;
                break;
            }
        }
        if (!plausible) return false;
        std::string_view text(header_);
        if (first.freed) {
            // The link took the first bytes: the header goes on with the next field.
            for (;;) {
                const std::size_t eol = text.find('\n');
                text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
                if (text.empty() || (text[0] != ' ' && text[0] != '\t')) break;
            }
        }
        message.Reset();
        message.offset = first.pos;
        message.orphaned = true;
        message.deleted = first.freed;
        // A chain broken inside the header can start on a field too: a message's start
        // names its sender.
        MailHeaders headers;
        if (StartsWithHeaderField(text)) headers = ReadMailHeaders(text);
        const bool start = !headers.from.empty();
        message.incomplete = !start || !whole;
        message.unreadableBytes = lostBytes_;
        if (start) {
            message.from = std::move(headers.from);
            message.to = std::move(headers.to);
            message.subject = std::move(headers.subject);
            if (headers.dateSeconds) {
                message.dateSeconds = *headers.dateSeconds;
                message.dateText = Format(*headers.dateSeconds);
            }
        }
        return true;
    }

  private:
    bool ReadData(const BlockIndex::Block& b) {
        const std::size_t at = header_.size();
        header_.resize(at + b.length);
        lost_.clear();
        const std::size_t got = file_.ReadAt(std::uint64_t(b.pos) + kBlockHeaderSize,
                                             header_.data() + at, b.length, &lost_);
        header_.resize(at + got);
        for (const UnreadableRange& r : lost_) lostBytes_ += r.length;
        lastLength_ = got;
        return got == b.length;
    }

    bool FirstBlockIsText(const BlockIndex::Block& b) const {
        const std::size_t skip = b.freed ? kFreedLink : 0;
        if (lastLength_ <= skip) return false;
        const auto* data = reinterpret_cast<const std::uint8_t*>(header_.data());
        if (!LooksLikeMailText(data + skip, lastLength_ - skip)) return false;
        // A live block keeps no zeros inside its data length.
        return b.freed || std::memchr(data, 0, lastLength_) == nullptr;
    }

    std::string Format(std::int64_t seconds) {
        if (!formatter_) {
            formatter_ = options_.formatDate ? options_.formatDate : EnvironmentDateFormatter();
        }
        return formatter_(seconds);
    }

    const StoreFile& file_;
    BlockIndex& index_;
    const DeepSearchOptions& options_;
    std::vector<bool> hasPredecessor_;
    std::string header_;
    std::size_t lastLength_ = 0;
    std::vector<UnreadableRange> lost_;
    std::uint64_t lostBytes_ = 0;
    DateFormatter formatter_;
};

}  // namespace

std::vector<RecoveredMessage> FindOrphanedChains(const std::string& storePath, BlockIndex& index,
                                                 std::vector<RecoveredMessage>& listed,
                                                 const DeepSearchOptions& options) {
    std::vector<RecoveredMessage> orphans;
    StoreFile file;
    if (!file.Open(storePath)) return orphans;
    UnreadableRanges own;
    file.SetDisplacement(options.displacement);
    file.SetDevice(options.device);
    file.SetUnreadable(options.unreadable ? options.unreadable : &own);
    file.SetStopFlag(options.stopFlag);
    index.Finish();
    OrphanReader reader(file, index, options);
    for (RecoveredMessage& m : listed) m.incomplete = !reader.CoverListed(m.offset);
    reader.MarkPredecessors();
    RecoveredMessage message;
    const std::size_t count = index.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % kStopPollEvery == 0 && StopRequested(options)) break;
        if (reader.IsStart(i) && reader.Take(i, message)) orphans.push_back(message);
    }
    return orphans;
}

}  // namespace dbx
