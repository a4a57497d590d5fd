#include "store_search.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <utility>

#include "block_index.h"
#include "dedupe.h"
#include "group_links.h"
#include "group_scans.h"
#include "orphan_chains.h"
#include "safe_names.h"
#include "stop_flag.h"
#include "store_file.h"
#include "store_header.h"
#include "store_pieces.h"

namespace dbx {
namespace {

// Probed on either side of the structures that agree, for those that do not (records among
// them, blocks of single-block messages).
constexpr std::uint64_t kGroupMargin = 256 * 1024;

constexpr char kReadingGroups[] = "Reading the groups of structures found";
constexpr char kLookingForChains[] = "Looking for chains of blocks no record leads to";

using Links = std::vector<std::vector<std::pair<std::size_t, std::size_t>>>;
using Rows = std::vector<std::vector<RecoveredMessage>>;

// Rows passed on to the search's observer.
class LiveRows : public ScanObserver {
  public:
    explicit LiveRows(SearchObserver& next) : next_(next) {}
    void OnMessage(const RecoveredMessage& message) override { next_.OnMessage(message); }

  private:
    SearchObserver& next_;
};

// The scan of one group: every hit kept for the result; when the caller wants rows live, one
// per body passed on as found (an "Existing" one at once, a "Deleted" one when the scan is
// over, see OneRowPerBodyObserver).
class GroupObserver : public ScanObserver {
  public:
    GroupObserver(SearchObserver& next, bool live, std::int64_t displacement)
        : next_(next), live_(live), displacement_(displacement), forward_(next), rows_(forward_) {}

    void OnWindow(std::uint64_t windowOffset, std::string_view statusText) override {
        next_.OnWindow(windowOffset, statusText);
    }
    bool WantsStatusText() const override { return next_.WantsStatusText(); }
    void OnProgress(int percent) override { next_.OnProgress(percent); }
    void OnMessage(const RecoveredMessage& message) override {
        hits.push_back(message);
        if (!live_) return;
        hits.back().displacement = displacement_;
        rows_.OnMessage(hits.back());
    }
    void Flush() {
        if (live_) rows_.Flush();
    }

    std::vector<RecoveredMessage> hits;

  private:
    SearchObserver& next_;
    bool live_;
    std::int64_t displacement_;
    LiveRows forward_;
    OneRowPerBodyObserver rows_;
};

class Search {
  public:
    Search(const std::string& path, const SearchOptions& options, SearchObserver& observer)
        : path_(path), options_(options), observer_(observer) {
        result_.mode = options.mode;
        result_.unreadable =
            options.unreadable ? options.unreadable : std::make_shared<UnreadableRanges>();
    }

    SearchResult Run();

  private:
    bool Deep() const { return options_.mode != SearchMode::Plain; }
    bool Image() const { return options_.mode == SearchMode::Image; }
    bool Stopped() const { return StopRequested(options_.stopFlag); }
    void Pass(const std::vector<RecoveredMessage>& rows) {
        if (!options_.liveRows) return;
        for (const RecoveredMessage& m : rows) observer_.OnMessage(m);
    }

    bool FindGroups();
    void ScanEachGroup();
    void AssignBodies();
    void SearchGroupChains();
    void NameStores(StoreFile& file, const DisplacedBytes& bytes,
                    std::vector<std::size_t>& storeOf);
    void SearchImageStores();
    void Collect();
    SearchResult Finish();

    const std::string& path_;
    const SearchOptions& options_;
    SearchObserver& observer_;
    SearchResult result_;

    std::vector<std::int64_t> groups_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges_;
    bool surveyReadWhole_ = false;  // every byte of the image was surveyed
    std::vector<BlockIndex> blocks_;
    Rows listed_;
    Rows orphans_;
    Links bodiesOf_;
};

// The groups of structures the deep search reads, each at its own positions; the plain search
// reads the store as it lies. False when the image cannot be read.
bool Search::FindGroups() {
    if (Deep()) {
        StoreFile file;
        const bool opened = file.Open(path_);
        if (!opened && Image()) {
            result_.report.outcome = ScanOutcome::OpenFailed;
            result_.report.error = file.Error();
            return false;
        }
        if (opened) {
            file.SetDevice(options_.device);
            file.SetUnreadable(result_.unreadable.get());
            std::vector<DisplacementFinding> found;
            if (Image()) {
                // Either flag ends the survey; only the survey's own lets the reading go on.
                const std::atomic<int>* surveyStop = options_.surveyStopFlag;
                auto raised = [&] { return Stopped() || StopRequested(surveyStop); };
                std::atomic<int> endSurvey{raised() ? 1 : 0};
                file.SetStopFlag(surveyStop ? surveyStop : options_.stopFlag);
                found = FindDisplacements(file, SurveyReach::Whole, &endSurvey,
                                          [&](const SurveyProgress& progress) {
                                              observer_.OnSurveyProgress(progress);
                                              if (raised()) endSurvey.store(1);
                                          });
                observer_.OnStepEnded();
                observer_.OnSurveyEnded();
                surveyReadWhole_ = endSurvey.load() == 0 && !raised();
                result_.surveyStopped = StopRequested(surveyStop);
            } else {
                file.SetStopFlag(options_.stopFlag);
                found = FindDisplacements(file, SurveyReach::Sampled, options_.stopFlag);
                observer_.OnStepEnded();
            }
            for (const DisplacementFinding& f : found) {
                groups_.push_back(f.displacement);
                // In an image, a group is probed around where its structures lie.
                const std::uint64_t from = f.lowest > kGroupMargin ? f.lowest - kGroupMargin : 0;
                const std::uint64_t to = std::min(f.highest + kGroupMargin, f.roomTo);
                ranges_.emplace_back(Image() ? std::max(from, f.roomFrom) : 0, Image() ? to : 0);
            }
        }
    }
    // An image with no store in it is not scanned again; a store is read as it lies.
    if (groups_.empty() && !Image()) {
        groups_.push_back(0);
        ranges_.emplace_back(0, 0);
    }
    result_.groups = groups_;
    return true;
}

// Each group's records first: a record may lead to blocks of another group.
void Search::ScanEachGroup() {
    const std::size_t count = groups_.size();
    blocks_.resize(count);
    listed_.resize(count);
    std::vector<ScanOptions> options(count);
    for (std::size_t g = 0; g < count; ++g) {
        options[g].displacement = groups_[g];
        options[g].begin = ranges_[g].first;
        options[g].end = ranges_[g].second;
        if (Deep()) options[g].blocks = &blocks_[g];
        options[g].threads = options_.threads;
        options[g].formatDate = options_.formatDate;
        options[g].unreadable = result_.unreadable.get();
        options[g].device = options_.device;
        options[g].stopFlag = options_.stopFlag;
    }
    // The groups of an image are many and small: two at a time.
    std::vector<GroupScan> scans;
    if (Image()) {
        observer_.OnStatus(kReadingGroups);
        scans = dbx::ScanGroups(path_, options);
        observer_.OnStepEnded();
    }
    for (std::size_t g = 0; g < count; ++g) {
        if (!Image()) {
            GroupObserver collect(observer_, options_.liveRows, groups_[g]);
            GroupScan& s = scans.emplace_back();
            s.report = ScanStore(path_, collect, options[g]);
            collect.Flush();
            s.hits = std::move(collect.hits);
            observer_.OnStepEnded();
        }
        GroupScan& scan = Image() ? scans[g] : scans.back();
        result_.scans.push_back({groups_[g], scan.report});
        if (g == 0 || scan.report.outcome != ScanOutcome::Finished) result_.report = scan.report;
        // Stores of different groups may name the same offsets: one row per body within each.
        listed_[g] = OneRowPerBody(std::move(scan.hits));
        for (RecoveredMessage& m : listed_[g]) m.displacement = groups_[g];
        if (Image()) Pass(listed_[g]);
        if (scan.report.outcome != ScanOutcome::Finished) break;
    }
}

// A row whose first block is not where its own group has it is read where another group's
// block names that offset: its message was moved apart from its record.
void Search::AssignBodies() {
    for (BlockIndex& index : blocks_) index.Finish();
    const std::size_t count = groups_.size();
    bodiesOf_.assign(count, {});
    for (std::size_t g = 0; g < count; ++g) {
        for (std::size_t i = 0; i < listed_[g].size(); ++i) {
            std::size_t at = g;
            if (!blocks_[g].Find(listed_[g][i].offset)) {
                // Only a group alone in holding that block can be the one: pieces of several
                // stores claim the same positions.
                std::size_t holders = 0;
                for (std::size_t h = 0; h < count; ++h) {
                    if (h != g && blocks_[h].Find(listed_[g][i].offset) && ++holders == 1) at = h;
                }
                if (holders > 1) at = g;
            }
            listed_[g][i].displacement = groups_[at];
            bodiesOf_[at].emplace_back(g, i);
        }
    }
}

// The chains no record leads to, group by group, each read at its own positions.
void Search::SearchGroupChains() {
    for (std::size_t g = 0; g < groups_.size() && !Stopped(); ++g) {
        observer_.OnStatus(kLookingForChains);
        std::vector<RecoveredMessage> reaching;
        for (const auto& [h, i] : bodiesOf_[g]) reaching.push_back(listed_[h][i]);
        DeepSearchOptions deep;
        deep.displacement = groups_[g];
        deep.stopFlag = options_.stopFlag;
        deep.formatDate = options_.formatDate;
        deep.unreadable = result_.unreadable.get();
        deep.device = options_.device;
        orphans_[g] = FindOrphanedChains(path_, blocks_[g], reaching, deep);
        for (std::size_t k = 0; k < reaching.size(); ++k) {
            const auto& [h, i] = bodiesOf_[g][k];
            listed_[h][i].incomplete = reaching[k].incomplete;
        }
        for (RecoveredMessage& m : orphans_[g]) m.displacement = groups_[g];
        Pass(orphans_[g]);
        observer_.OnStepEnded();
    }
}

// The stores of a disk image: groups joined by the links that cross them, each named from its
// own header when that survived.
void Search::NameStores(StoreFile& file, const DisplacedBytes& bytes,
                        std::vector<std::size_t>& storeOf) {
    std::vector<std::vector<std::uint32_t>> bodies(groups_.size());
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        for (const RecoveredMessage& m : listed_[g]) bodies[g].push_back(m.offset);
    }
    const bool opened = bool(bytes);
    GroupJoiner::StoreBytes groupBytes;
    if (opened) {
        groupBytes = [&](std::size_t g, std::uint64_t pos, std::span<std::uint8_t> out) {
            return bytes(groups_[g], pos, out);
        };
    }
    GroupJoiner joiner(blocks_, bodies, groupBytes);
    joiner.JoinByLinks();
    storeOf = joiner.Stores();
    const std::size_t stores =
        storeOf.empty() ? 0 : *std::max_element(storeOf.begin(), storeOf.end()) + 1;
    std::vector<std::string> names(stores);
    for (std::size_t g = 0; opened && g < groups_.size(); ++g) {
        if (!names[storeOf[g]].empty()) continue;
        file.SetDisplacement(groups_[g]);
        if (auto name = ReadStoreFolderName(file)) names[storeOf[g]] = SafeFileName(*name);
    }
    UniqueNames unique;
    std::size_t unnamed = 0;
    for (std::string& name : names) {
        if (name.empty()) name = "Store " + std::to_string(++unnamed);
        result_.storeNames.push_back(unique.Take(name));
    }
}

// The deep search of each store of an image over all its pieces: chains run on from one piece
// to the next, and each block is read where it lies.
void Search::SearchImageStores() {
    StoreFile file;
    const bool opened = file.Open(path_);
    file.SetDevice(options_.device);
    file.SetUnreadable(result_.unreadable.get());
    DisplacedBytes bytes;
    if (opened) {
        bytes = [&file](std::int64_t displacement, std::uint64_t pos, std::span<std::uint8_t> out) {
            file.SetDisplacement(displacement);
            return file.ReadAt(pos, out.data(), out.size()) == out.size();
        };
    }
    std::vector<std::size_t> storeOf;
    NameStores(file, bytes, storeOf);
    std::vector<std::vector<std::size_t>> members(result_.storeNames.size());
    for (std::size_t g = 0; g < groups_.size(); ++g) members[storeOf[g]].push_back(g);
    for (std::size_t k = 0; k < members.size() && !Stopped(); ++k) {
        observer_.OnStatus(kLookingForChains);
        JoinedStore joined = JoinPieces(blocks_, groups_, members[k], bytes);
        std::vector<std::pair<std::size_t, std::size_t>> rows;
        std::vector<RecoveredMessage> reaching;
        for (std::size_t g : members[k]) {
            for (std::size_t i = 0; i < listed_[g].size(); ++i) {
                rows.emplace_back(g, i);
                reaching.push_back(listed_[g][i]);
            }
        }
        DeepSearchOptions deep;
        deep.displacement = joined.displacement;
        deep.pieces = joined.pieces;
        deep.stopFlag = options_.stopFlag;
        deep.formatDate = options_.formatDate;
        deep.unreadable = result_.unreadable.get();
        deep.device = options_.device;
        // The survey read every byte of the image, unless it was stopped.
        deep.readAhead = surveyReadWhole_;
        std::vector<RecoveredMessage> found =
            FindOrphanedChains(path_, joined.blocks, reaching, deep);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            RecoveredMessage& m = listed_[rows[r].first][rows[r].second];
            m.incomplete = reaching[r].incomplete;
            m.store = std::uint32_t(k);
        }
        std::uint64_t runEnd = 0;
        for (RecoveredMessage& m : found) {
            m.store = std::uint32_t(k);
            m.displacement = joined.pieces->At(m.offset, joined.displacement, runEnd);
        }
        Pass(found);
        if (!members[k].empty()) {
            auto& into = orphans_[members[k].front()];
            into.insert(into.end(), found.begin(), found.end());
        }
        result_.storePieces.push_back(std::move(joined.pieces));
        observer_.OnStepEnded();
    }
}

// Each group's rows, then its orphans, group after group.
void Search::Collect() {
    for (std::size_t g = 0; g < listed_.size(); ++g) {
        for (auto* rows : {&listed_[g], &orphans_[g]}) {
            result_.messages.insert(result_.messages.end(), std::make_move_iterator(rows->begin()),
                                    std::make_move_iterator(rows->end()));
        }
    }
}

SearchResult Search::Finish() {
    result_.report.unreadableBytes = result_.unreadable->Bytes();
    result_.report.unreadableRanges = result_.unreadable->Count();
    return std::move(result_);
}

SearchResult Search::Run() {
    if (!FindGroups()) return Finish();
    ScanEachGroup();
    orphans_.resize(listed_.size());
    if (!Deep() || result_.report.outcome != ScanOutcome::Finished) {
        Collect();
        // Nothing at the store's own positions: whether the deep search could do better.
        if (!Deep() && result_.report.outcome == ScanOutcome::Finished &&
            result_.report.hits == 0) {
            StoreFile file;
            if (file.Open(path_)) result_.blocksAgreeing = FindDisplacement(file).agreeing;
        }
        return Finish();
    }
    AssignBodies();
    if (Image()) {
        SearchImageStores();
    } else {
        SearchGroupChains();
    }
    if (Stopped() || result_.surveyStopped) result_.report.outcome = ScanOutcome::Stopped;
    Collect();
    // Each store's rows together, in the order found.
    std::stable_sort(
        result_.messages.begin(), result_.messages.end(),
        [](const RecoveredMessage& a, const RecoveredMessage& b) { return a.store < b.store; });
    return Finish();
}

}  // namespace

SearchResult SearchStore(const std::string& path, const SearchOptions& options,
                         SearchObserver& observer) {
    return Search(path, options, observer).Run();
}

ExtractExtras ReadingOf(const RecoveredMessage& message, std::shared_ptr<const PieceMap> pieces) {
    ExtractExtras extras;
    extras.displacement = message.displacement;
    extras.pieces = std::move(pieces);
    // As the command line writes it: a freed chain without the zeros after its end.
    extras.trimFreedTail = true;
    extras.recordSize = message.size;
    return extras;
}

std::string WhyNothingWasFound(const std::string& name, const ScanReport& report) {
    if (report.fileLength == 0) return name + " is empty";
    if (report.scannedLength < kMinStoreLength) {
        return name + " is too short to hold messages (" + std::to_string(report.fileLength) +
               " bytes; a store needs at least " + std::to_string(kMinStoreLength) + ")";
    }
    return name + " holds no message record that could be recognised";
}

}  // namespace dbx
