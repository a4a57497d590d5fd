#include <unistd.h>

#include "browser_pane.h"
#include "globals.h"
#include "jobs.h"
#include "preview_builder.h"
#include "recovery_dialog.h"
#include "results_view.h"
#include "ui_call.h"

namespace dbx {

int PreviewJob(RecoveryDialog* dialog, const std::string& emlPath, const std::string& tempDir) {
    g_bJobBusy = 1;
    g_bPreviewRunning = 1;
    g_bStopPreview = 0;

    const PreviewResult preview =
        emlPath.empty() ? PreviewResult{} : BuildPreviewFile(emlPath, tempDir, &g_bStopPreview);

    CallOnUi(dialog, [dialog, &preview] {
        if (preview.kind != PreviewKind::None) {
            dialog->Pane()->Navigate(QString::fromLocal8Bit(preview.path));
        }
        dialog->ResultsList()->setEnabled(true);
        if (!g_bSearchRunning) {
            dialog->SetControlVisible(kIdBack, true);
            dialog->SetControlVisible(kIdStop, false);
        }
    });

    if (!emlPath.empty()) ::unlink(emlPath.c_str());
    g_bJobBusy = 0;
    g_bPreviewRunning = 0;
    g_bStopPreview = 0;
    return 1;
}

}  // namespace dbx
