// The recognisers at every offset of a small store, against the reference reading of the same
// rules: both must say the same of every offset, and neither may read outside the store.
#include <cstdint>
#include <cstring>
#include <vector>

#include "record_date.h"
#include "record_probe.h"
#include "reference_recognizer.h"

namespace {

// Every probe may search the whole store: larger inputs only cost time, not new paths. The
// reference walks back from every at sign, so it is given a smaller store.
constexpr std::size_t kMaxStore = 4096;
constexpr std::size_t kMaxCompared = 512;

class MemorySource : public dbx::ByteSource {
  public:
    explicit MemorySource(const std::vector<std::uint8_t>& bytes)
        : ByteSource(bytes.size()), bytes_(bytes) {}

  protected:
    std::size_t Fetch(std::uint64_t pos, void* dst, std::size_t n) override {
        std::memcpy(dst, bytes_.data() + pos, n);
        return n;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
};

bool Same(const dbx::RecoveredMessage& a, const dbx::RecoveredMessage& b) {
    return a.offset == b.offset && a.from == b.from && a.to == b.to && a.subject == b.subject &&
           a.dateText == b.dateText && a.deleted == b.deleted && a.dateSeconds == b.dateSeconds;
}

void ProbeEveryOffset(const std::vector<std::uint8_t>& store, bool compare) {
    MemorySource source(store);
    dbx::RecordRecognizer recognizer(source,
                                     [](std::int64_t seconds) { return dbx::IsoUtcText(seconds); });
    dbx::test::ReferenceRecognizer reference(store);
    for (std::int64_t r = 0; r <= std::int64_t(store.size()); ++r) {
        dbx::RecoveredMessage fast, slow;
        std::uint64_t fastSkip = 0, slowSkip = 0;
        const bool hit = recognizer.ProbeIndexRecord(r, fast, fastSkip);
        if (!compare) continue;
        if (hit != reference.Probe(r, slow, slowSkip)) __builtin_trap();
        if (hit && (!Same(fast, slow) || fastSkip != slowSkip)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ProbeEveryOffset(std::vector<std::uint8_t>(data, data + std::min(size, kMaxCompared)), true);
    if (size > kMaxCompared) {
        ProbeEveryOffset(std::vector<std::uint8_t>(data, data + std::min(size, kMaxStore)), false);
    }
    return 0;
}
