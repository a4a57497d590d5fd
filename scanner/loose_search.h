#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <unordered_map>

#include "address_text.h"
#include "byte_source.h"

namespace dbx {

// Finds a freed record's data area: where an at sign's text, from the 0 byte before it, reads
// as the sender address, with a recipient address at its place relative to it. Every at sign
// after the same 0 byte names the same candidate, so each 0 byte is weighed once, at the
// first at sign after it, in order; the first that passes wins.
//
// Which 0 bytes are weighed, and how each fares, depends only on the store and on the
// sender's and recipient's places, not on where the record starts. Records whose searches
// overlap (a damaged store can hold one every few bytes, each searching the rest of the store)
// therefore share one pass per pair of places: a later search takes up the pass where an
// earlier one left it, and the whole scan reads each byte once per pair of places.
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

  private:
    // One pass over the store for one pair of places.
    struct Pass {
        std::uint32_t sender = 0;
        std::uint32_t recipient = 0;
        std::int64_t from = 0;      // 0 bytes after it are candidates
        std::int64_t to = 0;        // bytes [from, to) are passed
        std::int64_t zeroAt = -1;   // the last 0 byte after `from` so far
        std::int64_t weighed = -1;  // the 0 byte weighed last
        std::map<std::int64_t, std::int64_t>
            passed;  // 0 byte -> its at sign, for those that passed
        std::uint64_t used = 0;
    };
    static Pass NewPass(std::int64_t r, std::uint32_t sender, std::uint32_t recipient);
    Pass& PassFor(std::int64_t r, std::uint32_t sender, std::uint32_t recipient);
    // Goes on from pass.to up to `last`, until a 0 byte after `r` passes; false on a stop or a
    // failed read.
    bool Advance(Pass& pass, std::int64_t r, std::int64_t last);
    bool Weigh(std::int64_t zero, std::uint32_t sender, std::uint32_t recipient);
    void Forget();

    // Stores with more pairs of places than this in overlapping searches take turns in the
    // kept passes (the one used longest ago gives way).
    static constexpr std::size_t kKeptPasses = 1024;

    ByteSource& source_;
    const std::atomic<int>* stop_;
    std::uint64_t& examined_;
    AddressTextCheck& texts_;
    std::unordered_map<std::uint64_t, Pass> passes_;  // by pair of places
    std::uint64_t uses_ = 0;
};

}  // namespace dbx
