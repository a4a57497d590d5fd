// A click on a row of the results list: the message is extracted and previewed.
#include "app_texts.h"
#include "globals.h"
#include "jobs.h"
#include "markup_message_box.h"
#include "message_extractor.h"
#include "output_path.h"
#include "recovery_dialog.h"
#include "results_model.h"
#include "results_view.h"

namespace dbx {

void RecoveryDialog::OnMessageListClick(const QPoint& viewportPoint) {
    if (g_bSearchRunning) {
        const MessageBoxOptions options = AppMessageOptions();
        ShowMarkupMessageBox(nullptr, texts::kStopSearchForPreview, texts::kNoticeCaption,
                             kMbOk | kMbIconInformation, &options);
        return;
    }
    const std::string tempDir = PrivateTempFolder();
    if (!tempDir.empty()) m_strPreviewDir = tempDir;
    g_bStopPreview = 1;
    const ResultsView::Hit hit = ResultsList()->HitTest(viewportPoint);
    if (hit.row < 0) return;
    if (hit.onCheckBox) return;
    SetControlVisible(kIdBack, false);
    SetControlVisible(kIdStop, true);
    const std::uint32_t offset = ParseLocation(m_results->Text(hit.row, ResultsModel::kLocation));
    const std::string storePath = g_strSourceFile;
    if (g_bPreviewRunning) return;

    // Without a private folder nothing is extracted: the message must not land anywhere else.
    g_szExtractedMail.clear();
    if (!tempDir.empty()) {
        ExtractRequest request;
        request.offset = offset;
        request.storePath = storePath;
        request.outputDirectory = tempDir;
        request.prefix = m_strPrefix;
        const ExtractOutcome outcome = ExtractMessage(request, g_nMailCounter);
        // A failed extraction leaves nothing to show or to delete.
        if (outcome.status == ExtractStatus::Written) g_szExtractedMail = outcome.path;
    }
    g_bStopSearch = 0;
    ResultsList()->setEnabled(false);
    StartJob([this, eml = g_szExtractedMail, tempDir] { PreviewJob(this, eml, tempDir); });
}

}  // namespace dbx
