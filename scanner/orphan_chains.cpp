#include "orphan_chains.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "mail_headers.h"
#include "scan_store.h"
#include "store_file.h"
#include "window_reads.h"

namespace dbx {
namespace {

constexpr std::size_t kHeaderBytes = 64 * 1024;  // read of an orphan's own header at most
constexpr std::size_t kFreedLink = 4;            // data bytes a freed block's link overwrote
constexpr std::size_t kStopPollEvery = 1024;
constexpr std::size_t kReadAhead = 16 * 1024;  // the blocks of a chain mostly follow each other

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

std::string_view TrimZeroTail(std::string_view text) {
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return text;
}

class OrphanReader {
  public:
    OrphanReader(const StoreFile& file, BlockIndex& index, const DeepSearchOptions& options)
        : index_(index),
          options_(options),
          stamp_(index.Size(), 0),
          window_(file, options.readAhead ? kReadAhead : 0) {}

    // Walks the listed message's chain through the index, marking its blocks; true when it
    // reaches a last block with at least the bytes its record gives. A block met again (a
    // loop, or a chain that runs into another listed one) ends it.
    bool CoverListed(std::size_t which, const RecoveredMessage& m) {
        BlockIndex::Block* b = index_.Find(m.offset);
        if (b) listedStarts_.emplace(Index(b), which);
        std::uint64_t bytes = 0;
        for (; b; b = index_.FindAfter(b, b->next)) {
            if (b->covered) return false;
            b->covered = true;
            bytes += b->length;
            if (b->next == 0) return bytes >= m.size;
        }
        return false;
    }

    void MarkPredecessors() {
        hasPredecessor_.assign(index_.Size(), false);
        auto& blocks = index_.Blocks();
        for (const BlockIndex::Block& b : blocks) {
            if (b.covered || b.next == 0) continue;
            if (BlockIndex::Block* n = index_.FindAfter(&b, b.next); n && !n->covered) {
                hasPredecessor_[Index(n)] = true;
            }
        }
    }

    bool IsStart(std::size_t i) const { return !index_.Blocks()[i].covered && !hasPredecessor_[i]; }

    // Takes the chain that starts at block `i`; false when it cannot be mail. Its blocks are
    // marked only when it is taken. A chain that runs into the first block of a listed
    // message whose record named the middle of it (a stale record) goes on through it: the
    // listed one is then the headless part, put in `headless`.
    bool Take(std::size_t i, RecoveredMessage& message, std::vector<std::size_t>& headless) {
        const BlockIndex::Block first = index_.Blocks()[i];
        header_.clear();
        lostBytes_ = 0;
        chain_.clear();
        ++walk_;
        bool whole = false;
        std::size_t listedAt = 0;  // chain_ position of the listed start passed; 0: none
        std::size_t listed = 0;
        for (BlockIndex::Block* b = &index_.Blocks()[i]; b; b = index_.FindAfter(b, b->next)) {
            const std::size_t at = Index(b);
            if (stamp_[at] == walk_) break;  // a loop
            if (b->covered && listedAt == 0) {
                const auto it = listedStarts_.find(at);
                if (it == listedStarts_.end()) break;
                listedAt = chain_.size();
                listed = it->second;
            }
            stamp_[at] = walk_;
            chain_.push_back(b);
            if (header_.size() < kHeaderBytes && !ReadData(*b)) break;
            if (b->next == 0) {
                whole = true;
                break;
            }
        }
        std::string_view text(header_);
        if (first.freed) {
            // The link took the first bytes: the header goes on with the next field.
            for (;;) {
                const std::size_t eol = text.find('\n');
                text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
                if (text.empty() || (text[0] != ' ' && text[0] != '\t')) break;
            }
        }
        std::string_view judged = text;
        bool readAll = whole && header_.size() < kHeaderBytes;
        if (first.freed) {
            // Links overwrote the start of every later block too: only the first is judged.
            const std::size_t at = header_.size() - text.size();
            judged = judged.substr(0, firstLength_ > at ? firstLength_ - at : 0);
            readAll = readAll && chain_.size() == 1;
        }
        // A chain broken inside the header can start on a field too: a message's start
        // names its sender.
        MailHeaders headers;
        if (StartsWithHeaderField(text)) {
            if (!StartsWithMailHeader(TrimZeroTail(judged), readAll)) return false;
            headers = ReadMailHeaders(text);
        } else if (!TailIsText(first)) {
            return false;
        }
        const bool start = !headers.from.empty();
        if (listedAt > 0) {
            if (start) {
                headless.push_back(listed);
            } else {
                chain_.resize(listedAt);  // a piece of a chain is not put before a listed one
                whole = false;
            }
        }
        for (BlockIndex::Block* b : chain_) b->covered = true;
        message.Reset();
        message.offset = first.pos;
        message.orphaned = true;
        message.deleted = first.freed;
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
        const std::size_t got = window_.ReadAt(std::uint64_t(b.pos) + kBlockHeaderSize,
                                               header_.data() + at, b.length, &lost_);
        header_.resize(at + got);
        for (const UnreadableRange& r : lost_) lostBytes_ += r.length;
        if (at == 0) firstLength_ = got;
        return got == b.length;
    }

    std::size_t Index(const BlockIndex::Block* b) {
        return std::size_t(b - index_.Blocks().data());
    }

    // A chain that does not start with a header (the tail of one broken in the middle): its
    // first block must read as text through and through, as the body of a mail does.
    bool TailIsText(const BlockIndex::Block& b) const {
        const std::size_t skip = b.freed ? kFreedLink : 0;
        const std::size_t n = std::min<std::size_t>(firstLength_, header_.size());
        if (n <= skip) return false;
        const auto* data = reinterpret_cast<const std::uint8_t*>(header_.data());
        return LooksLikeMailText(data + skip, n - skip);
    }

    std::string Format(std::int64_t seconds) {
        if (!formatter_) {
            formatter_ = options_.formatDate ? options_.formatDate : EnvironmentDateFormatter();
        }
        return formatter_(seconds);
    }

    BlockIndex& index_;
    const DeepSearchOptions& options_;
    std::vector<bool> hasPredecessor_;
    std::string header_;
    std::size_t firstLength_ = 0;
    std::vector<std::uint32_t> stamp_;  // the walk that last passed each block
    std::uint32_t walk_ = 0;
    std::vector<BlockIndex::Block*> chain_;
    std::unordered_map<std::size_t, std::size_t> listedStarts_;  // block -> listed message
    std::vector<UnreadableRange> lost_;
    std::uint64_t lostBytes_ = 0;
    DateFormatter formatter_;
    WindowReads window_;
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
    file.SetPieces(options.pieces);
    file.SetDevice(options.device);
    file.SetUnreadable(options.unreadable ? options.unreadable : &own);
    file.SetStopFlag(options.stopFlag);
    index.Finish();
    OrphanReader reader(file, index, options);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        listed[i].incomplete = !reader.CoverListed(i, listed[i]);
    }
    reader.MarkPredecessors();
    RecoveredMessage message;
    std::vector<std::size_t> headless;
    const std::size_t count = index.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % kStopPollEvery == 0 && StopRequested(options)) break;
        if (reader.IsStart(i) && reader.Take(i, message, headless)) orphans.push_back(message);
    }
    for (std::size_t i : headless) listed[i].incomplete = true;
    return orphans;
}

}  // namespace dbx
