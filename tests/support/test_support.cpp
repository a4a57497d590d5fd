#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "record_probe.h"
#include "reference_recognizer.h"
#include "scan_store.h"
#include "store_file.h"

namespace dbx::test {

std::size_t MemorySource::Fetch(std::uint64_t pos, void* dst, std::size_t n) {
    std::memcpy(dst, bytes_.data() + pos, n);
    return n;
}

std::vector<build::Property> MinimalRecord(const std::string& sender, std::uint32_t body,
                                           std::int64_t filetime, std::size_t padding) {
    std::vector<build::Property> props{build::Text(0x1C, "first value"), build::Text(0x0E, sender),
                                       build::FileTime(0x12, filetime), build::Direct(0x84, body)};
    if (padding) props.push_back(build::Text(0x1A, std::string(padding, 'x')));
    return props;
}

DateFormatter UtcDates() {
    return [](std::int64_t seconds) { return IsoUtcText(seconds); };
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dbxtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temp folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<RecoveredMessage> ReferenceScan(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    return ReferenceScanOf(build::Bytes(bytes.begin(), bytes.end()));
}

namespace {
struct Collector : ScanObserver {
    std::vector<RecoveredMessage> hits;
    void OnMessage(const RecoveredMessage& m) override { hits.push_back(m); }
};
}  // namespace

std::vector<RecoveredMessage> ScanHits(const std::string& path) {
    Collector collector;
    ScanOptions options;
    options.formatDate = UtcDates();
    ScanStore(path, collector, options);
    return collector.hits;
}

Probe ProbeAt(const build::Bytes& image, std::int64_t r) {
    MemorySource source(image);
    RecordRecognizer recognizer(source, UtcDates());
    Probe p;
    p.hit = recognizer.ProbeIndexRecord(r, p.message, p.skip);
    return p;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool SameMessage(const RecoveredMessage& a, const RecoveredMessage& b) {
    return a.offset == b.offset && a.from == b.from && a.to == b.to && a.subject == b.subject &&
           a.dateText == b.dateText && a.deleted == b.deleted && a.dateSeconds == b.dateSeconds;
}

build::Bytes RandomByteVector(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    build::Bytes bytes(size);
    for (std::uint8_t& b : bytes) b = std::uint8_t(random());
    return bytes;
}

}  // namespace dbx::test
