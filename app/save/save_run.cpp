#include <unistd.h>

#include <filesystem>
#include <map>

#include "existing_copies.h"

#include "message_extractor.h"
#include "output_path.h"
#include "save/mail_file_time.h"
#include "save/save_request.h"
#include "save/store_folder.h"
#include "store_search.h"

namespace dbx {
namespace {

// The report names this many incomplete files; the count says how many there are.
constexpr std::size_t kIncompleteNamed = 10;

}  // namespace

SaveReport RunSave(const SaveRequest& request, const std::atomic<int>& stop,
                   SaveProgress& progress) {
    SaveReport report;
    report.folder = request.folder;
    report.total = int(request.items.size());
    MailCounter fallback;
    MailCounter& counter = request.counter ? *request.counter : fallback;
    const bool perStore = request.storeNames.size() >= 2;
    // Per folder, taken before the first file is written into it: only what it held before
    // counts.
    std::map<std::string, ExistingCopies> earlierIn;
    for (std::size_t i = 0; i < request.items.size(); ++i) {
        if (stop.load() != 0) {
            report.cancelled = true;
            break;
        }
        const SaveItem& item = request.items[i];
        progress.OnItem(int(i));

        const RecoveredMessage& listed = item.listed;
        const std::string storeFolder =
            perStore ? StoreFolderName(request.storeNames, listed.store) : std::string();
        const std::string folder =
            perStore ? JoinPath(request.folder, storeFolder) : request.folder;
        std::string folderFailure;
        if (perStore && earlierIn.count(folder) == 0) folderFailure = MakeStoreFolder(folder);
        if (!folderFailure.empty()) {
            if (report.failed == 0) report.firstFailure = folderFailure;
            ++report.failed;
            progress.OnDone(int(i + 1));
            continue;
        }
        const ExistingCopies& earlier = earlierIn.try_emplace(folder, folder).first->second;

        ExtractRequest extract;
        extract.offset = listed.offset;
        extract.storePath = request.storePath;
        extract.outputDirectory = folder;
        extract.prefix = request.prefix;
        // Read as the command line reads it: where its search found it.
        ExtractExtras extras = ReadingOf(listed, listed.store < request.storePieces.size()
                                                     ? request.storePieces[listed.store]
                                                     : nullptr);
        extras.unreadable = request.unreadable.get();
        extras.device = request.device;
        const ExtractOutcome outcome = ExtractMessage(extract, counter, extras);
        const bool written = outcome.status == ExtractStatus::Written;
        if (written && !earlier.Find(outcome.path).empty()) {
            // Ours, made a moment ago; its number is free again. A file that cannot be
            // removed stays and counts as saved.
            if (::unlink(outcome.path.c_str()) == 0) {
                counter.Set(counter.Value() - 1);
                ++report.already;
                progress.OnDone(int(i + 1));
                continue;
            }
        }
        // One message that cannot be written does not keep the others from being saved.
        if (written) {
            SetMailFileTime(outcome.path, listed.dateSeconds);
            ++report.saved;
            // Bytes the disk could not give, in its record or its blocks, a chain cut short or
            // without its start: as the command line says, never whole.
            const std::string reason = IncompleteReason(outcome, &listed);
            if (outcome.incomplete || !reason.empty()) {
                ++report.incomplete;
                if (report.incompleteFiles.size() < kIncompleteNamed) {
                    std::string named = std::filesystem::path(outcome.path).filename().string();
                    if (perStore) named = storeFolder + "/" + named;
                    if (!reason.empty()) named += " (" + reason + ")";
                    report.incompleteFiles.push_back(named);
                }
            }
        } else {
            if (report.failed == 0) report.firstFailure = DescribeExtractFailure(outcome);
            ++report.failed;
        }
        progress.OnDone(int(i + 1));
    }
    return report;
}

}  // namespace dbx
