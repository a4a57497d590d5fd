#include "store_scan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "block_index.h"
#include "dedupe.h"
#include "displacement.h"
#include "file_names.h"
#include "group_links.h"
#include "group_scans.h"
#include "messages.h"
#include "orphan_chains.h"
#include "scan_runner.h"
#include "store_file.h"
#include "store_header.h"
#include "store_pieces.h"

namespace dbx::cli {

std::string DescribeDisplacement(std::int64_t displacement) {
    if (displacement > 0) {
        return "its first " + std::to_string(displacement) + " bytes are missing";
    }
    return std::to_string(-displacement) + " bytes come before it";
}

namespace {

// Probed on either side of the structures that agree, for those that do not (records among
// them, blocks of single-block messages).
constexpr std::uint64_t kGroupMargin = 256 * 1024;

using Links = std::vector<std::vector<std::pair<std::size_t, std::size_t>>>;
using Rows = std::vector<std::vector<RecoveredMessage>>;

// An image's survey on the progress line, once it has run a second: how far, how fast, and
// how many stores' headers it passed.
SurveyObserver DrawSurvey(ProgressLine& progress) {
    const auto start = std::chrono::steady_clock::now();
    progress.ShowAfter(std::chrono::seconds(1));
    return [&progress, start](const SurveyProgress& p) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        progress.SetPercent(p.length > 0 ? int(p.position * 100 / p.length) : 100);
        progress.SetStatus(ImageProgressText(p.position, elapsed, p.storeHeaders));
    };
}

// The groups of structures the deep search reads, each at its own positions; the plain scan
// reads the store as it lies. `surveyStopped`: Ctrl-C ended the survey of an image.
std::vector<std::int64_t> Groups(const std::string& store, StoreScan& scan, bool image,
                                 std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges,
                                 ProgressLine& progress, bool& surveyStopped) {
    std::vector<std::int64_t> groups;
    if (scan.deep) {
        StoreFile file;
        const bool opened = file.Open(store);
        if (!opened && image) {
            scan.report.outcome = ScanOutcome::OpenFailed;
            scan.report.error = file.Error();
            Say("cannot read " + Quoted(store) + ": " + DescribeOpenError(file.Error()));
            return groups;
        }
        if (opened) {
            file.SetDevice(scan.device);
            file.SetUnreadable(scan.unreadable.get());
            file.SetStopFlag(&InterruptFlag());
            const SurveyReach reach = image ? SurveyReach::Whole : SurveyReach::Sampled;
            const std::vector<DisplacementFinding> found = FindDisplacements(
                file, reach, &InterruptFlag(), image ? DrawSurvey(progress) : nullptr);
            progress.Clear();
            // Ctrl-C ends the survey of an image, not the reading of the stores it found so far:
            // a second one ends that too.
            if (image && InterruptFlag().exchange(0) != 0) surveyStopped = true;
            for (const DisplacementFinding& f : found) {
                groups.push_back(f.displacement);
                // In an image, a group is probed around where its structures lie.
                const std::uint64_t from = f.lowest > kGroupMargin ? f.lowest - kGroupMargin : 0;
                ranges.emplace_back(image ? from : 0, image ? f.highest + kGroupMargin : 0);
            }
        }
    }
    // An image with no store in it is not scanned again; a store is read as it lies.
    if (groups.empty() && !image) {
        groups.push_back(0);
        ranges.emplace_back(0, 0);
    }
    if (image) {
        Say(Quoted(store) + ": " + std::to_string(groups.size()) +
            " groups of structures, each read at its own positions");
    } else if (groups.size() == 1 && groups[0] != 0) {
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

// The stores of a disk image: groups joined by the links that cross them, each named from its
// own header when that survived.
void NameStores(const std::string& image, const std::vector<std::int64_t>& groups,
                std::vector<BlockIndex>& blocks, const Rows& listed, StoreScan& scan,
                std::vector<std::size_t>& storeOf) {
    std::vector<std::vector<std::uint32_t>> bodies(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const RecoveredMessage& m : listed[g]) bodies[g].push_back(m.offset);
    }
    StoreFile file;
    const bool opened = file.Open(image);
    file.SetDevice(scan.device);
    file.SetUnreadable(scan.unreadable.get());
    GroupJoiner::StoreBytes bytes;
    if (opened) {
        bytes = [&](std::size_t g, std::uint64_t pos, std::span<std::uint8_t> out) {
            file.SetDisplacement(groups[g]);
            return file.ReadAt(pos, out.data(), out.size()) == out.size();
        };
    }
    GroupJoiner joiner(blocks, bodies, bytes);
    joiner.JoinByLinks();
    storeOf = joiner.Stores();
    const std::size_t stores =
        storeOf.empty() ? 0 : *std::max_element(storeOf.begin(), storeOf.end()) + 1;
    std::vector<std::string> names(stores);
    for (std::size_t g = 0; opened && g < groups.size(); ++g) {
        if (!names[storeOf[g]].empty()) continue;
        file.SetDisplacement(groups[g]);
        if (auto name = ReadStoreFolderName(file)) names[storeOf[g]] = SafeFileName(*name);
    }
    UniqueNames unique;
    std::size_t unnamed = 0;
    for (std::string& name : names) {
        if (name.empty()) name = "Store " + std::to_string(++unnamed);
        scan.storeNames.push_back(unique.Take(name));
    }
}

// The deep search of each store of an image over all its pieces: chains run on from one piece
// to the next, and each block is read where it lies.
void SearchImageStores(const std::string& image, const std::vector<std::int64_t>& groups,
                       std::vector<BlockIndex>& blocks, Rows& listed, Rows& orphans,
                       StoreScan& scan, ProgressLine& progress, bool readWhole) {
    std::vector<std::size_t> storeOf;
    NameStores(image, groups, blocks, listed, scan, storeOf);
    std::vector<std::vector<std::size_t>> members(scan.storeNames.size());
    for (std::size_t g = 0; g < groups.size(); ++g) members[storeOf[g]].push_back(g);
    for (std::size_t k = 0; k < members.size() && !InterruptFlag().load(); ++k) {
        progress.SetStatus("Looking for chains of blocks no record leads to");
        JoinedStore joined = JoinPieces(blocks, groups, members[k]);
        std::vector<std::pair<std::size_t, std::size_t>> rows;
        std::vector<RecoveredMessage> reaching;
        for (std::size_t g : members[k]) {
            for (std::size_t i = 0; i < listed[g].size(); ++i) {
                rows.emplace_back(g, i);
                reaching.push_back(listed[g][i]);
            }
        }
        DeepSearchOptions deepOptions;
        deepOptions.displacement = joined.displacement;
        deepOptions.pieces = joined.pieces;
        deepOptions.stopFlag = &InterruptFlag();
        deepOptions.unreadable = scan.unreadable.get();
        deepOptions.device = scan.device;
        // The survey read every byte of the image, unless it was stopped.
        deepOptions.readAhead = readWhole;
        std::vector<RecoveredMessage> found =
            FindOrphanedChains(image, joined.blocks, reaching, deepOptions);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            RecoveredMessage& m = listed[rows[r].first][rows[r].second];
            m.incomplete = reaching[r].incomplete;
            m.store = std::uint32_t(k);
        }
        std::uint64_t runEnd = 0;
        for (RecoveredMessage& m : found) {
            m.store = std::uint32_t(k);
            m.displacement = joined.pieces->At(m.offset, joined.displacement, runEnd);
        }
        if (!members[k].empty()) {
            auto& into = orphans[members[k].front()];
            into.insert(into.end(), found.begin(), found.end());
        }
        scan.storePieces.push_back(std::move(joined.pieces));
        progress.Clear();
    }
}

}  // namespace

StoreScan ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                         std::shared_ptr<const ReadDevice> device, bool image) {
    CatchInterrupt();  // the survey of an image stops at Ctrl-C too
    StoreScan scan;
    scan.deep = deep || image;
    deep = scan.deep;
    scan.image = image;
    scan.device = std::move(device);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    bool surveyStopped = false;
    const std::vector<std::int64_t> groups =
        Groups(store, scan, image, ranges, progress, surveyStopped);
    scan.displacement = groups.empty() ? 0 : groups.front();
    if (scan.report.outcome == ScanOutcome::OpenFailed) return scan;
    // Each group's records first: a record may lead to blocks of another group.
    std::vector<BlockIndex> blocks(groups.size());
    std::vector<std::vector<RecoveredMessage>> listed(groups.size());
    // Dates are formatted from the environment, which two threads may do at once.
    const int threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    std::vector<ScanOptions> options(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        options[g].displacement = groups[g];
        options[g].begin = ranges[g].first;
        options[g].end = ranges[g].second;
        if (deep) options[g].blocks = &blocks[g];
        options[g].threads = threads;
        options[g].unreadable = scan.unreadable.get();
        options[g].device = scan.device;
        options[g].stopFlag = &InterruptFlag();
    }
    // The groups of an image are many and small: two at a time.
    std::vector<GroupScan> scans;
    if (image) {
        progress.SetStatus("Reading the groups of structures found");
        scans = ScanGroups(store, options);
        progress.Clear();
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (!image) {
            GroupScan& s = scans.emplace_back();
            s.report = RunScanWithProgress(
                store, progress, [&](const RecoveredMessage& m) { s.hits.push_back(m); },
                options[g]);
        } else if (scans[g].report.outcome == ScanOutcome::OpenFailed) {
            Say("cannot read " + Quoted(store) + ": " + DescribeOpenError(scans[g].report.error));
        }
        const ScanReport& report = image ? scans[g].report : scans.back().report;
        if (g == 0 || report.outcome != ScanOutcome::Finished) scan.report = report;
        // Stores of different groups may name the same offsets: one row per body within each.
        listed[g] = OneRowPerBody(std::move(image ? scans[g].hits : scans.back().hits));
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
                // Only a group alone in holding that block can be the one: pieces of several
                // stores claim the same positions.
                std::size_t holders = 0;
                for (std::size_t h = 0; h < groups.size(); ++h) {
                    if (h != g && blocks[h].Find(listed[g][i].offset) && ++holders == 1) at = h;
                }
                if (holders > 1) at = g;
            }
            listed[g][i].displacement = groups[at];
            bodiesOf[at].emplace_back(g, i);
        }
    }
    std::vector<std::vector<RecoveredMessage>> orphans(groups.size());
    if (image) {
        SearchImageStores(store, groups, blocks, listed, orphans, scan, progress, !surveyStopped);
    } else {
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
    }
    if (InterruptFlag().load() || surveyStopped) scan.report.outcome = ScanOutcome::Stopped;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (auto* rows : {&listed[g], &orphans[g]}) {
            scan.messages.insert(scan.messages.end(), std::make_move_iterator(rows->begin()),
                                 std::make_move_iterator(rows->end()));
        }
    }
    if (image && scan.messages.empty() && scan.report.outcome == ScanOutcome::Finished) {
        Say("no messages found: " + Quoted(store) + " holds no store that could be recognised");
    }
    // Each store's rows together, in the order found.
    std::stable_sort(
        scan.messages.begin(), scan.messages.end(),
        [](const RecoveredMessage& a, const RecoveredMessage& b) { return a.store < b.store; });
    return scan;
}

}  // namespace dbx::cli
