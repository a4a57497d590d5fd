#include "store_scan.h"

#include <cstdio>
#include <thread>

#include "block_index.h"
#include "dedupe.h"
#include "displacement.h"
#include "messages.h"
#include "orphan_chains.h"
#include "scan_runner.h"
#include "store_file.h"

namespace dbx::cli {

std::string DescribeDisplacement(std::int64_t displacement) {
    if (displacement > 0) {
        return "its first " + std::to_string(displacement) + " bytes are missing";
    }
    return std::to_string(-displacement) + " bytes come before it";
}

StoreScan ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                         std::shared_ptr<const ReadDevice> device) {
    StoreScan scan;
    scan.deep = deep;
    scan.device = std::move(device);
    // The plain scan reads the store as it lies: only the deep search looks for a store
    // whose structures all lie away from the positions they name.
    if (deep) {
        StoreFile file;
        if (file.Open(store)) {
            file.SetDevice(scan.device);
            file.SetUnreadable(scan.unreadable.get());
            file.SetStopFlag(&InterruptFlag());
            scan.displacement = FindDisplacement(file).displacement;
        }
    }
    if (scan.displacement != 0) {
        Say(Quoted(store) + " is displaced by " + std::to_string(scan.displacement) + " bytes (" +
            DescribeDisplacement(scan.displacement) + "); it is read at its own positions");
    }
    BlockIndex blocks;
    ScanOptions options;
    options.displacement = scan.displacement;
    if (deep) options.blocks = &blocks;
    // Dates are formatted from the environment, which both threads may do at once.
    options.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    options.unreadable = scan.unreadable.get();
    options.device = scan.device;
    std::vector<RecoveredMessage> hits;
    scan.report = RunScanWithProgress(
        store, progress, [&](const RecoveredMessage& m) { hits.push_back(m); }, options);
    scan.messages = OneRowPerBody(std::move(hits));
    if (deep && scan.report.outcome == ScanOutcome::Finished) {
        progress.SetStatus("Looking for chains of blocks no record leads to");
        DeepSearchOptions deepOptions;
        deepOptions.displacement = scan.displacement;
        deepOptions.stopFlag = &InterruptFlag();
        deepOptions.unreadable = scan.unreadable.get();
        deepOptions.device = scan.device;
        std::vector<RecoveredMessage> orphans =
            FindOrphanedChains(store, blocks, scan.messages, deepOptions);
        progress.Clear();
        if (InterruptFlag().load()) scan.report.outcome = ScanOutcome::Stopped;
        scan.messages.insert(scan.messages.end(), std::make_move_iterator(orphans.begin()),
                             std::make_move_iterator(orphans.end()));
    }
    return scan;
}

}  // namespace dbx::cli
