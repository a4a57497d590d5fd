#include <QProgressBar>
#include <QWidget>

#include "app_texts.h"
#include "browser_pane.h"
#include "globals.h"
#include "jobs.h"
#include "recovery_dialog.h"
#include "results_view.h"
#include "scan_store.h"
#include "ui_call.h"

namespace dbx {

int ScanJob(RecoveryDialog* dialog) {
    g_bJobBusy = 1;
    g_bSearchRunning = 1;
    const std::string path = g_strSourceFile;
    ScanFeed feed(dialog->ScanWindowHook());

    CallOnUi(dialog, [dialog, &feed] {
        dialog->SetControlVisible(kIdProgress, true);
        dialog->SetControlText(kIdInstruction, texts::kSearching);
        dialog->SetControlVisible(kIdInstruction, false);
        dialog->SetControlVisible(kIdStatusLine, true);
        dialog->AttachScanFeed(&feed);
    });

    ScanOptions options;
    options.stopFlag = &g_bStopSearch;
    options.formatDate = dialog->Dates();
    const ScanReport report = ScanStore(path, feed, options);
    g_nStoreLength = std::uint32_t(report.scannedLength);

    CallOnUi(dialog, [dialog] {
        // Whatever the scan reported last reaches the window before it changes its look.
        dialog->DetachScanFeed();
        dialog->SetControlVisible(kIdStatusLine, false);
        dialog->SetControlVisible(kIdInstruction, true);
        dialog->SetControlVisible(kIdProgress, false);
        dialog->SetControlText(kIdInstruction, texts::kStepTwo);
        dialog->SetControlVisible(kIdStop, false);
        dialog->SetControlVisible(kIdBack, true);
        dialog->update();
        dialog->ResultsList()->viewport()->update();
        dialog->Pane()->Navigate(QString::fromLocal8Bit(g_strPreviewPage));
    });

    g_bJobBusy = 0;
    g_bSearchRunning = 0;
    return 1;
}

}  // namespace dbx
