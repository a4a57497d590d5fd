#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record_probe.h"
#include "recovered_message.h"

namespace dbx::test {

// A second, independent reading of the record rules, written for clarity rather than speed:
// byte-by-byte reads of an in-memory store, the freed-record search walking back from every at
// sign. The scan's own recogniser must agree with it on every input.
class ReferenceRecognizer {
  public:
    explicit ReferenceRecognizer(const std::vector<std::uint8_t>& store) : store_(store) {}

    bool Probe(std::int64_t r, RecoveredMessage& message, std::uint64_t& skip) const;

  private:
    struct Props {
        std::uint32_t offset = 0, subject = 0, sender = 0, date = 0, recipient = 0;
        bool stored = false;
    };
    bool Byte(std::int64_t pos, std::uint8_t& out) const;
    bool Word(std::int64_t pos, std::uint32_t& out) const;
    std::string Text(std::int64_t base, std::uint32_t ref) const;
    bool Date(std::int64_t pos, RecoveredMessage& message) const;
    static void Take(Props& props, std::uint32_t entry);
    bool Loose(std::int64_t r, RecoveredMessage& message, std::uint64_t& skip) const;

    const std::vector<std::uint8_t>& store_;
};

// Every offset of every 2560-byte window of the store at `path` probed by the reference, with
// the scan's skips; empty for stores under 2000 bytes.
std::vector<RecoveredMessage> ReferenceScanOf(const std::vector<std::uint8_t>& store);

// Offset `r` probed by the scan's `recognizer` and by `reference`: "" when they agree (no
// record, or the same message with the same skip), else what differs. `hit` tells whether the
// reference found a record there.
std::string ProbeDifference(RecordRecognizer& recognizer, const ReferenceRecognizer& reference,
                            std::int64_t r, bool& hit);

}  // namespace dbx::test
