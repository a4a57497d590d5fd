// A whole store through the scan, the extraction of what it finds and the preview of each
// extracted message, as the programs run them: from a file, into a private folder.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "message_extractor.h"
#include "output_path.h"
#include "preview_builder.h"
#include "record_date.h"
#include "scan_store.h"

namespace {

// The scan costs a pass per byte and each hit an extraction: larger stores add time, not paths.
constexpr std::size_t kMaxStore = 32 * 1024;
constexpr std::size_t kMaxExtracted = 16;

struct Collector : dbx::ScanObserver {
    std::vector<dbx::RecoveredMessage> hits;
    void OnMessage(const dbx::RecoveredMessage& m) override {
        if (hits.size() < kMaxExtracted) hits.push_back(m);
    }
};

// A private folder for one input: libFuzzer may end the process without running exit handlers.
std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dbxfuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Shorter stores are not scanned at all: pad them so that every input reaches the probes.
    std::vector<std::uint8_t> store(data, data + std::min(size, kMaxStore));
    if (store.size() < dbx::kMinStoreLength) store.resize(dbx::kMinStoreLength);
    const std::string folder = MakeFolder();
    const std::string path = dbx::JoinPath(folder, "store.dbx");
    const int fd = dbx::CreateExclusive(path);
    if (fd < 0 || !dbx::WriteAll(fd, store.data(), store.size())) abort();
    close(fd);

    Collector collector;
    dbx::ScanOptions options;
    options.formatDate = [](std::int64_t seconds) { return dbx::IsoUtcText(seconds); };
    dbx::ScanStore(path, collector, options);

    dbx::MailCounter counter;
    for (const dbx::RecoveredMessage& m : collector.hits) {
        dbx::ExtractOutcome out = dbx::ExtractMessage({m.offset, path, folder, 0, "Fuzz"}, counter);
        if (out.status != dbx::ExtractStatus::Written) continue;
        dbx::PreviewResult preview = dbx::BuildPreviewFile(out.path, folder);
        unlink(out.path.c_str());
        if (!preview.path.empty()) unlink(preview.path.c_str());
    }
    unlink(dbx::JoinPath(folder, "MailHtml.html").c_str());
    unlink(dbx::JoinPath(folder, "MailHtml.txt").c_str());
    unlink(path.c_str());
    rmdir(folder.c_str());
    return 0;
}
