#include "globals.h"
#include "jobs.h"
#include "message_extractor.h"
#include "recovery_dialog.h"
#include "save_request.h"
#include "ui_call.h"

namespace dbx {

int SaveJob(RecoveryDialog* dialog, const SaveRequest& request) {
    g_bJobBusy = 1;
    SaveReport report;
    report.folder = request.folder;
    report.total = int(request.items.size());
    for (std::size_t i = 0; i < request.items.size(); ++i) {
        if (dialog->SaveStopRequested()) {
            report.cancelled = true;
            break;
        }
        const SaveItem& item = request.items[i];
        CallOnUi(dialog, [dialog, &item] { dialog->ShowSavingMessage(item); });
        if (const auto& hook = dialog->SaveItemHook()) hook(int(i));

        ExtractRequest extract;
        extract.offset = item.offset;
        extract.storePath = request.storePath;
        extract.outputDirectory = request.folder;
        extract.prefix = request.prefix;
        const ExtractOutcome outcome = ExtractMessage(extract, g_nMailCounter);
        // One message that cannot be written does not keep the others from being saved.
        if (outcome.status == ExtractStatus::Written) {
            ++report.saved;
        } else {
            if (report.failed == 0) report.firstFailure = DescribeExtractFailure(outcome);
            ++report.failed;
        }
        CallOnUi(dialog, [dialog, done = int(i + 1)] { dialog->SetSavingDone(done); });
    }
    CallOnUi(dialog, [dialog, &report] { dialog->FinishSave(report); });
    g_bJobBusy = 0;
    return 1;
}

}  // namespace dbx
