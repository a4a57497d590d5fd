#include "preview/preview_job.h"

#include <unistd.h>

#include "preview/missing_mail_note.h"

namespace dbx {

PreviewResult RunPreviewJob(const PreviewParams& params, const std::atomic<int>& stop) {
    PreviewResult result;
    // Without a private folder nothing is extracted: the message must not land anywhere else.
    std::string extracted;
    if (!params.folder.empty() && params.counter) {
        ExtractRequest request;
        request.offset = params.offset;
        request.storePath = params.storePath;
        request.outputDirectory = params.folder;
        request.prefix = params.prefix;
        const ExtractOutcome outcome = ExtractMessage(request, *params.counter, params.extras);
        // A failed extraction leaves nothing to show or to delete.
        if (outcome.status == ExtractStatus::Written) extracted = outcome.path;
        if (outcome.status == ExtractStatus::FirstBlockMissing) {
            result.note = WriteMissingMailNote(params.folder);
        }
    }
    if (params.hold) params.hold();
    if (!extracted.empty()) {
        result.page =
            BuildPreviewPage(extracted, params.folder, params.mode, params.codePage, &stop);
        ::unlink(extracted.c_str());
    }
    return result;
}

}  // namespace dbx
