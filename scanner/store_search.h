#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "displacement.h"
#include "message_extractor.h"
#include "piece_map.h"
#include "read_device.h"
#include "record_date.h"
#include "recovered_message.h"
#include "scan_store.h"
#include "unreadable_ranges.h"

namespace dbx {

// The one search that lists the messages of a store, as the command line and the window both
// run it.
enum class SearchMode {
    // The store read as it lies: its records at their positions, one row per body.
    Plain,
    // Every group of structures that agree on a displacement (a store displaced, two stores
    // one after the other) read at its own positions, then the chains of blocks no record
    // leads to, as "Orphaned" rows.
    Deep,
    // A disk image: every byte surveyed for groups of structures, the groups joined into the
    // stores they are pieces of, each store named and deep-searched through the map of its
    // pieces.
    Image,
};

struct SearchOptions {
    SearchMode mode = SearchMode::Plain;
    // Raised: the search ends at its next window (or stretch, or chain); what was found so far
    // is handed back, and the outcome says Stopped.
    const std::atomic<int>* stopFlag = nullptr;
    // Image only: raised, it ends the survey of the image, and the stores found so far are
    // still read (until `stopFlag` ends that too); the outcome then says Stopped. The stop
    // flag ends the survey as well.
    const std::atomic<int>* surveyStopFlag = nullptr;
    // The rows go to the observer as they are found (the window shows them live); the command
    // line takes them from the result only, which spares the scan a call per row.
    bool liveRows = false;
    DateFormatter formatDate;  // empty: EnvironmentDateFormatter()
    // 2: the store (or each group of a deep search) is probed on two threads, see
    // ScanOptions::threads; `formatDate` must then be safe to call from another thread.
    int threads = 1;
    // Where the bytes come from (null: the file itself).
    std::shared_ptr<const ReadDevice> device;
    // Receives what the disk failed to give (null: a record of the search's own); handed back
    // in the result for the reads after the search.
    std::shared_ptr<UnreadableRanges> unreadable;
};

// What a running search tells, on the calling thread (the image's groups are scanned on two
// threads, but reported on the calling one), in order.
class SearchObserver {
  public:
    virtual ~SearchObserver() = default;
    // Once per window of a scan of the store (or of a group of it), before its offsets are
    // probed; as ScanObserver::OnWindow.
    virtual void OnWindow(std::uint64_t /*windowOffset*/, std::string_view /*statusText*/) {}
    // False spares the scan the status text of every window.
    virtual bool WantsStatusText() const { return true; }
    // The share of the scan reached, 0 to 100 (see ScanObserver::OnProgress).
    virtual void OnProgress(int /*percent*/) {}
    // What the search does now, between scans: "Reading the groups of structures found",
    // "Looking for chains of blocks no record leads to".
    virtual void OnStatus(std::string_view /*text*/) {}
    // How far the survey of a disk image has come, after each stretch.
    virtual void OnSurveyProgress(const SurveyProgress& /*progress*/) {}
    // The survey of a disk image is over (done, or stopped): from here on only the stop flag
    // ends the search.
    virtual void OnSurveyEnded() {}
    // A step (the survey, a scan, a chain search) is over: a progress line may go.
    virtual void OnStepEnded() {}
    // With SearchOptions::liveRows: each row as it is found, one per body within its group.
    // Its final state (the store it belongs to, whether it is incomplete, the group whose
    // blocks it is read from) is the result's: flags may still change after it was passed.
    virtual void OnMessage(const RecoveredMessage& /*message*/) {}
};

// One group of structures read by the search, and how its scan went.
struct SearchGroup {
    std::int64_t displacement = 0;
    ScanReport report;
};

struct SearchResult {
    SearchMode mode = SearchMode::Plain;
    // How the search went: OpenFailed when the input could not be read, Stopped when the stop
    // flag (or, for an image, the survey's) ended it; else as the scan of the first group went
    // (or of the first that did not finish). The unreadable counts are the whole search's.
    ScanReport report;
    // One row per body within each group (an "Existing" row winning), in the order found, each
    // group's after the one before it, then the orphans; each with its own displacement and,
    // for an image, its store's number; each store's rows together.
    std::vector<RecoveredMessage> messages;
    // Image: each store's name (from its own header, else "Store N"), safe as a file name and
    // unique; and where its pieces lie, one map per store.
    std::vector<std::string> storeNames;
    std::vector<std::shared_ptr<const PieceMap>> storePieces;
    // What the disk failed to give; the reads after the search add to it.
    std::shared_ptr<UnreadableRanges> unreadable;
    // The groups of structures found (Plain: the store as it lies, at 0), first first.
    std::vector<std::int64_t> groups;
    // The scans the search ran, in order, up to the first that did not finish.
    std::vector<SearchGroup> scans;
    bool surveyStopped = false;  // Image: the survey was stopped; the stores found were read
    // Plain, finished and nothing found: message blocks that agree on one displacement, of
    // those looked at to find it. A store in which no record is recognised may still hold
    // mails that only the deep search reaches.
    std::size_t blocksAgreeing = 0;

    // Of the first group: where a message not listed is read.
    std::int64_t Displacement() const { return groups.empty() ? 0 : groups.front(); }
    // The map of the pieces of store `store` (null: none, the store is read at the message's
    // displacement alone).
    std::shared_ptr<const PieceMap> PiecesOf(std::uint32_t store) const {
        return store < storePieces.size() ? storePieces[store] : nullptr;
    }
};

// Searches the store (or disk image) at `path`. Never throws for what it reads; a file that
// cannot be opened gives OpenFailed.
SearchResult SearchStore(const std::string& path, const SearchOptions& options,
                         SearchObserver& observer);

// How a listed message is read again, for the command line's extraction and the window's
// preview, attachments and Save alike: at its own displacement, through the map of its
// store's pieces (`pieces`, null for none), the chain trimmed as a freed one ends, held
// against the size its record gives. The name, the device and the record of unreadable ranges
// are the caller's.
ExtractExtras ReadingOf(const RecoveredMessage& message, std::shared_ptr<const PieceMap> pieces);

// Why a finished scan of the store shown as `name` (quoted and escaped as its reader needs)
// found nothing: the store is empty, too short to hold a message, or holds no record that
// could be recognised.
std::string WhyNothingWasFound(const std::string& name, const ScanReport& report);

}  // namespace dbx
