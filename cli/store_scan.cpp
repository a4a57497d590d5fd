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
    // Each group's records first: a record may lead to blocks of another group.
    std::vector<BlockIndex> blocks(groups.size());
    std::vector<std::vector<RecoveredMessage>> listed(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        ScanOptions options;
        options.displacement = groups[g];
        if (deep) options.blocks = &blocks[g];
        // Dates are formatted from the environment, which both threads may do at once.
        options.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
        options.unreadable = scan.unreadable.get();
        options.device = scan.device;
        std::vector<RecoveredMessage> hits;
        const ScanReport report = RunScanWithProgress(
            store, progress, [&](const RecoveredMessage& m) { hits.push_back(m); }, options);
        if (g == 0 || report.outcome != ScanOutcome::Finished) scan.report = report;
        // Stores of different groups may name the same offsets: one row per body within each.
        listed[g] = OneRowPerBody(std::move(hits));
        for (RecoveredMessage& m : listed[g]) m.displacement = groups[g];
        if (report.outcome != ScanOutcome::Finished) break;
    }
    if (!deep || scan.report.outcome != ScanOutcome::Finished) {
        for (auto& rows : listed) {
            scan.messages.insert(scan.messages.end(), std::make_move_iterator(rows.begin()),
                                 std::make_move_iterator(rows.end()));
        }
        return scan;
    }
    for (BlockIndex& index : blocks) index.Finish();
    // A row whose first block is not where its own group has it is read where another
    // group's block names that offset: its message was moved apart from its record.
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> bodiesOf(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (std::size_t i = 0; i < listed[g].size(); ++i) {
            std::size_t at = g;
            if (!blocks[g].Find(listed[g][i].offset)) {
                for (std::size_t h = 0; h < groups.size(); ++h) {
                    if (h != g && blocks[h].Find(listed[g][i].offset)) {
                        at = h;
                        break;
                    }
                }
            }
            listed[g][i].displacement = groups[at];
            bodiesOf[at].emplace_back(g, i);
        }
    }
    std::vector<std::vector<RecoveredMessage>> orphans(groups.size());
    for (std::size_t g = 0; g < groups.size() && !InterruptFlag().load(); ++g) {
        progress.SetStatus("Looking for chains of blocks no record leads to");
        std::vector<RecoveredMessage> reaching;
        for (const auto& [h, i] : bodiesOf[g]) reaching.push_back(listed[h][i]);
        DeepSearchOptions deepOptions;
        deepOptions.displacement = groups[g];
        deepOptions.stopFlag = &InterruptFlag();
        deepOptions.unreadable = scan.unreadable.get();
        deepOptions.device = scan.device;
        orphans[g] = FindOrphanedChains(store, blocks[g], reaching, deepOptions);
        for (std::size_t k = 0; k < reaching.size(); ++k) {
            const auto& [h, i] = bodiesOf[g][k];
            listed[h][i].incomplete = reaching[k].incomplete;
        }
        for (RecoveredMessage& m : orphans[g]) m.displacement = groups[g];
        progress.Clear();
    }
    if (InterruptFlag().load()) scan.report.outcome = ScanOutcome::Stopped;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (auto* rows : {&listed[g], &orphans[g]}) {
            scan.messages.insert(scan.messages.end(), std::make_move_iterator(rows->begin()),
                                 std::make_move_iterator(rows->end()));
        }
    }
    return scan;
}

}  // namespace dbx::cli
