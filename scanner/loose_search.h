#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "address_text.h"
#include "byte_source.h"

namespace dbx {

// Finds a freed record's data area: where an at sign's text, from the 0 byte before it, reads
// as the sender address, with a recipient address at its place relative to it. Every at sign
// after the same 0 byte names the same candidate, so each 0 byte is weighed once, at the
// first at sign after it, in order; the first that passes wins.
//
// The sender's text is the one that follows the 0 byte whatever the sender's place (only the
// data area moves with it), so a 0 byte whose text lacks a full stop fails for every record.
// The 0 bytes that are followed by an address ("starts") are found by one reading of the store
// that all searches share. Which of them a record takes depends only on the store and on how
// far the recipient's text lies from the sender's (the "reach"), once the data area lies in
// the store: its sender's place only sets the first 0 byte it may take. Records whose searches
// overlap (a damaged store can hold one every few bytes, each searching the rest of the store)
// therefore share passes by reach, however many pairs of places hold it: a later search takes
// up the pass that holds its first 0 byte where an earlier one left it, and a pass that runs
// into a later one of its reach (one that began further on, for a larger sender's place) goes
// on where that one stands. A recipient's text within the bytes the shared reading has passed
// is told from the starts it kept (only a start's own text can be an address), without a read.
// What is left to grow is reaches times starts: a store whose records each hold a reach of
// their own. Whether some start of many answers each of many reaches is a question of which
// differences of two sets of positions fall into a third, for which no way that is linear in
// every case is known; so a scan gives the searches of each stretch of records a budget of
// starts weighed, and once it is spent (only a crafted store gets that far) each search there
// looks for its sender's address within kSpentReach bytes of its record. A freed record's
// address lies in its own body, a few hundred bytes long.
class AddressSearch {
  public:
    // `texts` is shared with the recogniser's own text reads.
    AddressSearch(ByteSource& source, const std::atomic<int>* stop, std::uint64_t& examined,
                  AddressTextCheck& texts)
        : source_(source), stop_(stop), examined_(examined), texts_(texts) {}

    // The data area of the record at `r` whose search may look at bytes up to `last`; false
    // when there is none, or on a stop.
    bool Find(std::int64_t r, std::int64_t last, std::uint32_t sender, std::uint32_t recipient,
              std::int64_t& dataArea);

    // Starts weighed over all searches: one recipient check each.
    std::uint64_t Weighed() const { return weighed_; }

    // The searches of a new stretch of records: what earlier ones learned is let go of, so
    // that their answers depend on the store alone, and `budget` starts may be weighed before
    // they keep within kSpentReach of their records.
    void Restart(std::uint64_t budget) {
        Forget();
        budget_ = budget;
        weighedAtRestart_ = weighed_;
    }
    static constexpr std::int64_t kSpentReach = 16 * 1024;

  private:
    // A 0 byte followed by a text with an at sign and a full stop, and its first at sign.
    // Places after the 0 byte are kept as distances from it, cut to 32 bits: a million starts
    // may be kept, and no search looks 4 GiB past a 0 byte (at signs that far lie past any
    // record's end, recipients' texts lie within 16 MiB).
    struct Start {
        std::int64_t zero = 0;
        std::uint32_t atAfter = 0;
        std::uint32_t addressAfter = 0;  // the text from any byte after the 0 byte up to
                                         // this far holds both signs too

        Start() = default;
        Start(std::int64_t zero, std::int64_t at, std::int64_t addressTo)
            : zero(zero), atAfter(Distance(zero, at)), addressAfter(Distance(zero, addressTo)) {}
        std::int64_t At() const { return zero + atAfter; }
        std::int64_t AddressTo() const { return zero + addressAfter; }

      private:
        static std::uint32_t Distance(std::int64_t from, std::int64_t to) {
            return std::uint32_t(std::min<std::int64_t>(to - from, UINT32_MAX));
        }
    };
    // A forward reading of the store: bytes before `pos` are read.
    struct Reading {
        std::int64_t pos = 0;
        std::int64_t zero = -1;     // the last 0 byte read (-1: none since the reading began)
        std::int64_t at = -1;       // the first at sign after it
        std::int64_t lastAt = -1;   // the last at sign after it
        std::int64_t lastDot = -1;  // the last full stop after it
        bool ended = false;         // the store's end was read
    };
    enum class Read { Found, None, Failed };
    // The next start whose at sign lies at or before `last`, or None when there is none (the
    // reading then stops where a later search can take it up).
    Read Next(Reading& reading, std::int64_t last, Start& start);

    // Starts from the pass's first 0 byte (in its key) and before `next` failed.
    struct Pass {
        std::int64_t next = 0;
        bool found = false;  // `answer`: the first start at or after `next` that passes
        Start answer;
        bool alone = false;  // reading on by itself, past the shared starts
        Reading reading;
        std::uint64_t near = 0;  // where in the shared starts its last recipient text lay
    };
    // Text places wrap at 32 bits: the reach alone tells where the recipient's text lies only
    // while no place (24 bits) can pass 4 GiB; beyond that the pair of places does.
    bool Wraps() const {
        return source_.Length() + (std::uint64_t(1) << 24) > (std::uint64_t(1) << 32);
    }
    // Passes by reach (or pair of places, where they wrap) and the first 0 byte they weighed.
    using PassKey = std::pair<std::uint64_t, std::int64_t>;
    using PassMap = std::map<PassKey, Pass>;
    // The pass of a reach that knows about the starts from `first` on, begun there if none
    // does, for the record at `r`.
    PassMap::iterator PassFor(std::uint64_t reach, std::int64_t r, std::int64_t first);
    // The next pass of the same reach after `pass`, or the end.
    PassMap::iterator Following(PassMap::iterator pass);
    bool Passes(const Start& start, std::uint32_t sender, std::uint32_t recipient);
    // Whether the text at `pos` holds an address, when the shared reading has passed the whole
    // stretch of bytes without a 0 that holds `pos` (else false, and `known` is false).
    bool AddressAt(std::int64_t pos, Pass& pass, bool& known);
    std::size_t KeptCount() const { return kept_.size() - head_; }
    const Start& Kept(std::size_t i) const { return kept_[head_ + i]; }
    std::vector<Start>::const_iterator KeptBegin() const {
        return kept_.begin() + std::ptrdiff_t(head_);
    }
    void DropFirst();
    void DropAll();
    // Drops the starts no search from `r` on can take; a search behind them starts over.
    void KeepFrom(std::int64_t r);
    void Forget();

    // Passes kept; when a store needs more, they start over.
    static constexpr std::size_t kKeptPasses = 1 << 15;
    // Starts kept ahead of the searches; past them a pass reads on by itself.
    static constexpr std::size_t kKeptStarts = 1 << 20;

    ByteSource& source_;
    const std::atomic<int>* stop_;
    std::uint64_t& examined_;
    AddressTextCheck& texts_;
    PassMap passes_;
    // All starts after `base_` that the shared reading passed: kept_[head_] on (the ones
    // before it were let go of, and are erased now and then).
    std::vector<Start> kept_;
    std::size_t head_ = 0;
    std::uint64_t dropped_ = 0;  // starts let go of: Kept(i) is the (dropped_ + i)th
    Reading reading_;
    std::int64_t base_ = -1;
    std::uint64_t sincePoll_ = 0;  // bytes read since the stop flag was last looked at
    std::uint64_t weighed_ = 0;
    std::uint64_t budget_ = UINT64_MAX;
    std::uint64_t weighedAtRestart_ = 0;
};

}  // namespace dbx
