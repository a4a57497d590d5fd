#include <filesystem>

#include "message_extractor.h"
#include "save/mail_file_time.h"
#include "save/save_request.h"

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
    for (std::size_t i = 0; i < request.items.size(); ++i) {
        if (stop.load() != 0) {
            report.cancelled = true;
            break;
        }
        const SaveItem& item = request.items[i];
        progress.OnItem(int(i));

        ExtractRequest extract;
        extract.offset = item.offset;
        extract.storePath = request.storePath;
        extract.outputDirectory = request.folder;
        extract.prefix = request.prefix;
        ExtractExtras extras;
        extras.displacement = request.displacement;
        extras.trimFreedTail = request.deep;
        const ExtractOutcome outcome = ExtractMessage(extract, counter, extras);
        // One message that cannot be written does not keep the others from being saved.
        if (outcome.status == ExtractStatus::Written) {
            SetMailFileTime(outcome.path, item.dateSeconds);
            ++report.saved;
            if (outcome.incomplete || item.startMissing) {
                ++report.incomplete;
                if (report.incompleteFiles.size() < kIncompleteNamed) {
                    report.incompleteFiles.push_back(
                        std::filesystem::path(outcome.path).filename().string());
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
