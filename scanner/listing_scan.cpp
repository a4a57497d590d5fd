#include "listing_scan.h"

#include <vector>

#include "block_index.h"
#include "dedupe.h"
#include "displacement.h"
#include "orphan_chains.h"
#include "store_file.h"

namespace dbx {
namespace {

bool Raised(const std::atomic<int>* flag) {
    return flag && flag->load() != 0;
}

DisplacementFinding LookForDisplacement(const std::string& path) {
    StoreFile file;
    return file.Open(path) ? FindDisplacement(file) : DisplacementFinding{};
}

}  // namespace

ListingReport ListStoreMessages(const std::string& path, ScanObserver& observer,
                                ScanOptions options, bool deep) {
    ListingReport report;
    // Only the deep search reads a store away from its own positions; the plain one reads it
    // as it lies, whatever look-alike structures it holds.
    if (deep) {
        const DisplacementFinding found = LookForDisplacement(path);
        report.displacement = found.displacement;
        report.blocksAgreeing = found.agreeing;
    }
    BlockIndex blocks;
    options.displacement = report.displacement;
    options.blocks = deep ? &blocks : nullptr;
    OneRowPerBodyObserver rows(observer);
    report.scan = ScanStore(path, rows, options);
    rows.Flush();
    if (!deep) {
        // Nothing at the store's own positions: whether the deep search could do better.
        if (report.scan.outcome == ScanOutcome::Finished && report.scan.hits == 0) {
            report.blocksAgreeing = LookForDisplacement(path).agreeing;
        }
        return report;
    }
    if (report.scan.outcome != ScanOutcome::Finished || Raised(options.stopFlag)) return report;
    DeepSearchOptions deepOptions;
    deepOptions.displacement = report.displacement;
    deepOptions.stopFlag = options.stopFlag;
    deepOptions.formatDate = options.formatDate;
    const std::vector<RecoveredMessage> orphans =
        FindOrphanedChains(path, blocks, rows.Listed(), deepOptions);
    for (const RecoveredMessage& orphan : orphans) observer.OnMessage(orphan);
    report.orphans = orphans.size();
    if (Raised(options.stopFlag)) report.scan.outcome = ScanOutcome::Stopped;
    return report;
}

}  // namespace dbx
