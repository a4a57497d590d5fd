#pragma once

#include <atomic>
#include <cstdint>
#include <map>

#include "byte_source.h"

namespace dbx {

// Finds where the field text at base + ref ends (read as the recognisers read it: in 15-byte
// steps, up to its 0 byte) and whether it holds an at sign and a full stop, without reading the
// text again for every question. It remembers each stretch of bytes without a 0 that it has
// looked at, so that many texts that start in one long stretch (searches, or records that all
// point into it) cost one pass over it.
class AddressTextCheck {
  public:
    static constexpr std::uint64_t kStopPollBytes = 64 * 1024;

    // `examined` counts every byte looked at; `stop` ends long passes early (the answer is
    // then false).
    AddressTextCheck(ByteSource& source, const std::atomic<int>* stop, std::uint64_t& examined)
        : source_(source), stop_(stop), examined_(examined) {}

    struct Text {
        bool readable = false;  // false: the reading gives the empty text (or a stop cut it)
        bool address = false;
        std::uint64_t begin = 0;  // the text is the bytes [begin, end)
        std::uint64_t end = 0;
    };
    Text Find(std::int64_t base, std::uint32_t ref);
    bool IsAddress(std::int64_t base, std::uint32_t ref) { return Find(base, ref).address; }

    // A stop cut a pass short since the last Forget(): answers since then may be wrong.
    bool Stopped() const { return stopped_; }
    void Forget() {
        runs_.clear();
        stopped_ = false;
    }
    // Lets go of short stretches that end before `pos` once many are kept; long ones stay, as
    // they are the costly ones to find again, and there can only be few of them.
    void Trim(std::uint64_t pos);

  private:
    // Bytes [begin, end) hold no 0; `end` holds the 0 or is the end of the store.
    struct Run {
        std::uint64_t begin = 0;
        std::int64_t lastAt = -1;   // last at sign in the run, or -1
        std::int64_t lastDot = -1;  // last full stop in the run, or -1
    };
    // The run that holds `pos` (pos < Length()); the key of the returned entry is its end.
    std::map<std::uint64_t, Run>::iterator RunAt(std::uint64_t pos);
    // A text whose 0 byte comes soon is read at once, without the map.
    bool FindShort(std::uint64_t pos, Run& run, std::uint64_t& end);

    ByteSource& source_;
    const std::atomic<int>* stop_;
    std::uint64_t& examined_;
    std::map<std::uint64_t, Run> runs_;  // by end
    std::size_t trimAt_ = kTrimRuns;
    bool stopped_ = false;

    static constexpr std::size_t kTrimRuns = 4096;
    static constexpr std::uint64_t kLongRun = 4096;
};

}  // namespace dbx
