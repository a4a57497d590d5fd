// A whole store through the deep recovery as the command line runs it: displacement, the scan
// gathering block headers, one row per body, the chains no record reaches, and the extraction
// of every orphan, from a file into a private folder; then the same bytes as a disk image: every
// group of structures, joined into one store and searched through the map of its pieces; and
// the one search both programs run (SearchStore, deep and image), each row read again where it
// says it lies.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "block_index.h"
#include "dedupe.h"
#include "displacement.h"
#include "group_links.h"
#include "message_extractor.h"
#include "orphan_chains.h"
#include "output_path.h"
#include "record_date.h"
#include "scan_store.h"
#include "store_file.h"
#include "store_pieces.h"
#include "store_search.h"

namespace {

// Chains are at most a store long: a larger store repeats shapes a smaller one already holds.
constexpr std::size_t kMaxStore = 48 * 1024;
constexpr std::size_t kMaxExtracted = 24;
constexpr std::size_t kMaxGroups = 4;

struct Collector : dbx::ScanObserver {
    std::vector<dbx::RecoveredMessage> hits;
    bool WantsStatusText() const override { return false; }
    void OnMessage(const dbx::RecoveredMessage& m) override { hits.push_back(m); }
};

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dbxdeep-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
}

std::string Utc(std::int64_t seconds) {
    return dbx::IsoUtcText(seconds);
}

void SearchAsImage(const std::string& path, const std::string& folder) {
    dbx::StoreFile file;
    if (!file.Open(path)) abort();
    std::vector<dbx::DisplacementFinding> found =
        dbx::FindDisplacements(file, dbx::SurveyReach::Whole);
    if (found.size() > kMaxGroups) found.resize(kMaxGroups);
    std::vector<dbx::BlockIndex> blocks(found.size());
    std::vector<std::int64_t> displacements;
    std::vector<std::size_t> members;
    for (std::size_t g = 0; g < found.size(); ++g) {
        Collector collector;
        dbx::ScanOptions options;
        options.formatDate = Utc;
        options.displacement = found[g].displacement;
        options.begin = found[g].lowest;
        options.end = std::uint64_t(found[g].highest) + 4096;
        options.blocks = &blocks[g];
        dbx::ScanStore(path, collector, options);
        blocks[g].Finish();
        displacements.push_back(found[g].displacement);
        members.push_back(g);
    }
    dbx::GroupJoiner joiner(blocks, {});
    joiner.JoinByLinks();
    for (std::size_t store : joiner.Stores()) {
        if (store >= found.size()) abort();
    }
    dbx::JoinedStore joined = dbx::JoinPieces(blocks, displacements, members, {});
    std::vector<dbx::RecoveredMessage> none;
    dbx::DeepSearchOptions deep;
    deep.displacement = joined.displacement;
    deep.pieces = joined.pieces;
    deep.formatDate = Utc;
    const std::vector<dbx::RecoveredMessage> orphans =
        dbx::FindOrphanedChains(path, joined.blocks, none, deep);
    dbx::MailCounter counter;
    dbx::ExtractExtras extras;
    extras.displacement = joined.displacement;
    extras.pieces = joined.pieces;
    for (std::size_t i = 0; i < orphans.size() && i < kMaxExtracted; ++i) {
        if (!joined.blocks.Find(orphans[i].offset)) abort();
        const dbx::ExtractOutcome out =
            dbx::ExtractMessage({orphans[i].offset, path, folder, 0, "Fuzz"}, counter, extras);
        if (!out.path.empty() && out.status == dbx::ExtractStatus::Written) {
            unlink(out.path.c_str());
        }
    }
}

// The search as the command line and the window run it: every row names a store the result
// names (an image) and is read again at its own displacement, through its store's pieces.
void SearchAsThePrograms(const std::string& path, const std::string& folder) {
    for (dbx::SearchMode mode : {dbx::SearchMode::Deep, dbx::SearchMode::Image}) {
        dbx::SearchOptions options;
        options.mode = mode;
        options.formatDate = Utc;
        dbx::SearchObserver quiet;
        const dbx::SearchResult result = dbx::SearchStore(path, options, quiet);
        if (result.report.outcome == dbx::ScanOutcome::OpenFailed) abort();
        if (mode == dbx::SearchMode::Image) {
            if (result.storePieces.size() != result.storeNames.size()) abort();
            for (const dbx::RecoveredMessage& m : result.messages) {
                if (m.store >= result.storeNames.size()) abort();
            }
        }
        dbx::MailCounter counter;
        for (std::size_t i = 0; i < result.messages.size() && i < kMaxExtracted; ++i) {
            const dbx::RecoveredMessage& m = result.messages[i];
            const dbx::ExtractOutcome out = dbx::ExtractMessage(
                {m.offset, path, folder, 0, "Fuzz"}, counter,
                dbx::ReadingOf(m, result.PiecesOf(m.store)));
            if (!out.path.empty() && out.status == dbx::ExtractStatus::Written) {
                unlink(out.path.c_str());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> store(data, data + std::min(size, kMaxStore));
    if (store.size() < dbx::kMinStoreLength) store.resize(dbx::kMinStoreLength);
    const std::string folder = MakeFolder();
    const std::string path = dbx::JoinPath(folder, "store.dbx");
    const int fd = dbx::CreateExclusive(path);
    if (fd < 0 || !dbx::WriteAll(fd, store.data(), store.size())) abort();
    close(fd);

    std::int64_t displacement = 0;
    {
        dbx::StoreFile file;
        if (file.Open(path)) {
            displacement = dbx::FindDisplacement(file).displacement;
            // Every group found is one its own structures agree on, each found once.
            const std::vector<dbx::DisplacementFinding> groups = dbx::FindDisplacements(file);
            for (std::size_t i = 0; i < groups.size(); ++i) {
                if (groups[i].agreeing == 0) abort();
                for (std::size_t j = 0; j < i; ++j) {
                    if (groups[j].displacement == groups[i].displacement) abort();
                }
            }
        }
    }
    dbx::BlockIndex index;
    Collector collector;
    dbx::ScanOptions options;
    options.formatDate = Utc;
    options.displacement = displacement;
    options.blocks = &index;
    dbx::ScanStore(path, collector, options);
    std::vector<dbx::RecoveredMessage> listed = dbx::OneRowPerBody(std::move(collector.hits));

    dbx::DeepSearchOptions deep;
    deep.displacement = displacement;
    deep.formatDate = Utc;
    const std::vector<dbx::RecoveredMessage> orphans =
        dbx::FindOrphanedChains(path, index, listed, deep);
    // Every orphan starts on a block the index holds, and no two share one.
    std::vector<std::uint32_t> starts;
    for (const dbx::RecoveredMessage& m : orphans) {
        if (!m.orphaned || !index.Find(m.offset)) abort();
        starts.push_back(m.offset);
    }
    std::sort(starts.begin(), starts.end());
    if (std::adjacent_find(starts.begin(), starts.end()) != starts.end()) abort();

    dbx::MailCounter counter;
    dbx::ExtractExtras extras;
    extras.displacement = displacement;
    extras.trimFreedTail = true;
    for (std::size_t i = 0; i < orphans.size() && i < kMaxExtracted; ++i) {
        const dbx::ExtractOutcome out =
            dbx::ExtractMessage({orphans[i].offset, path, folder, 0, "Fuzz"}, counter, extras);
        if (!out.path.empty() && out.status == dbx::ExtractStatus::Written) {
            unlink(out.path.c_str());
        }
    }
    SearchAsImage(path, folder);
    SearchAsThePrograms(path, folder);
    unlink(path.c_str());
    rmdir(folder.c_str());
    return 0;
}
