#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "byte_source.h"
#include "record_date.h"
#include "recovered_message.h"
#include "store_builder.h"

namespace dbx::test {

// A store held in memory, read through the same bounded interface as a file.
class MemorySource : public ByteSource {
  public:
    explicit MemorySource(const build::Bytes& bytes) : ByteSource(bytes.size()), bytes_(bytes) {}

  protected:
    std::size_t Fetch(std::uint64_t pos, void* dst, std::size_t n) override;

  private:
    const build::Bytes& bytes_;
};

// 2010-01-01 01:00 UTC.
constexpr std::int64_t kSomeDate = (1262307600LL + 11'644'473'600LL) * 10'000'000;

// Sender, date and body offset: the least a record needs. A value at offset 0 of the data
// area would count as absent, so an unused one ("first value") comes first; `padding` adds an
// unused text of that length at the end.
std::vector<build::Property> MinimalRecord(const std::string& sender, std::uint32_t body = 0x100,
                                           std::int64_t filetime = kSomeDate,
                                           std::size_t padding = 0);

// Dates as UTC text, so that results do not depend on the machine's zone and locale.
DateFormatter UtcDates();

// A folder under the system temp path, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The straightforward per-offset scan: every offset of every window probed by the reference
// recogniser, no filter, no buffer.
std::vector<RecoveredMessage> ReferenceScan(const std::string& path);

// The fast scan's hits, in discovery order.
std::vector<RecoveredMessage> ScanHits(const std::string& path);

bool SameMessage(const RecoveredMessage& a, const RecoveredMessage& b);

// One probe of an in-memory store: whether a record starts at `r`, what it holds, the skip.
struct Probe {
    bool hit = false;
    RecoveredMessage message;
    std::uint64_t skip = 0;
};
Probe ProbeAt(const build::Bytes& image, std::int64_t r);

// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// `size` bytes from a generator seeded with `seed`: the same bytes on every run.
build::Bytes RandomByteVector(std::size_t size, std::uint32_t seed);

}  // namespace dbx::test
