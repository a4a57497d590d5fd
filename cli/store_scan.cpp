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

namespace {

// The groups of structures the deep search reads, each at its own positions; the plain scan
// reads the store as it lies.
std::vector<std::int64_t> Groups(const std::string& store, StoreScan& scan) {
    std::vector<std::int64_t> groups;
    if (scan.deep) {
        StoreFile file;
        if (file.Open(store)) {
            file.SetDevice(scan.device);
            file.SetUnreadable(scan.unreadable.get());
            file.SetStopFlag(&InterruptFlag());
            for (const DisplacementFinding& f : FindDisplacements(file)) {
                groups.push_back(f.displacement);
            }
        }
    }
    if (groups.empty()) groups.push_back(0);
    if (groups.size() == 1 && groups[0] != 0) {
        Say(Quoted(store) + " is displaced by " + std::to_string(groups[0]) + " bytes (" +
            DescribeDisplacement(groups[0]) + "); it is read at its own positions");
    } else if (groups.size() > 1) {
        std::string list;
        for (std::int64_t d : groups) list += (list.empty() ? "" : ", ") + std::to_string(d);
        Say(Quoted(store) + " holds " + std::to_string(groups.size()) +
            " groups of structures, displaced by " + list +
            " bytes; each is read at its own positions");
    }
    return groups;
}

}  // namespace

StoreScan ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                         std::shared_ptr<const ReadDevice> device) {
    StoreScan scan;
    scan.deep = deep;
    scan.device = std::move(device);
    const std::vector<std::int64_t> groups = Groups(store, scan);
    scan.displacement = groups.front();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::int64_t displacement = groups[g];
        BlockIndex blocks;
        ScanOptions options;
        options.displacement = displacement;
        if (deep) options.blocks = &blocks;
        // Dates are formatted from the environment, which both threads may do at once.
        options.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
        options.unreadable = scan.unreadable.get();
        options.device = scan.device;
        std::vector<RecoveredMessage> hits;
        const ScanReport report = RunScanWithProgress(
            store, progress, [&](const RecoveredMessage& m) { hits.push_back(m); }, options);
        if (g == 0 || report.outcome != ScanOutcome::Finished) scan.report = report;
        // Stores of different groups may name the same offsets: one row per body within each.
        std::vector<RecoveredMessage> listed = OneRowPerBody(std::move(hits));
        if (deep && report.outcome == ScanOutcome::Finished) {
            progress.SetStatus("Looking for chains of blocks no record leads to");
            DeepSearchOptions deepOptions;
            deepOptions.displacement = displacement;
            deepOptions.stopFlag = &InterruptFlag();
            deepOptions.unreadable = scan.unreadable.get();
            deepOptions.device = scan.device;
            std::vector<RecoveredMessage> orphans =
                FindOrphanedChains(store, blocks, listed, deepOptions);
            progress.Clear();
            if (InterruptFlag().load()) scan.report.outcome = ScanOutcome::Stopped;
            listed.insert(listed.end(), std::make_move_iterator(orphans.begin()),
                          std::make_move_iterator(orphans.end()));
        }
        for (RecoveredMessage& m : listed) m.displacement = displacement;
        scan.messages.insert(scan.messages.end(), std::make_move_iterator(listed.begin()),
                             std::make_move_iterator(listed.end()));
        if (scan.report.outcome != ScanOutcome::Finished) break;
    }
    return scan;
}

}  // namespace dbx::cli
