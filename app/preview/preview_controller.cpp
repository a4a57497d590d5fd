#include "preview_controller.h"

#include <unistd.h>

#include "app_message.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "deep_scan.h"
#include "globals.h"
#include "main_window_ids.h"
#include "message_extractor.h"
#include "missing_mail_note.h"
#include "preview_folder.h"
#include "results_filter.h"
#include "results_model.h"
#include "results_view.h"
#include "wizard_window.h"
#include "workflow_seam.h"

namespace dbx {
namespace {

// Rows of a deep search name the store's own positions.
ExtractExtras PreviewExtras() {
    ExtractExtras extras;
    extras.displacement = g_nStoreDisplacement.load();
    extras.trimFreedTail = g_bDeepResults.load() != 0;
    return extras;
}

}  // namespace

PreviewController::PreviewController(WizardWindow& window, QObject* parent)
    : QObject(parent), window_(window) {
    connect(&runner_, &JobRunner::Ended, this, [this] { Finish(); });
}

PreviewController::~PreviewController() {
    if (!running_) return;
    g_bStopPreview = 1;
    runner_.Join();
    g_bJobBusy = 0;
    g_bPreviewRunning = 0;
    g_bStopPreview = 0;
}

void PreviewController::OnListClick(const QPoint& viewportPoint) {
    if (g_bSearchRunning) {
        Notify(texts::kStopSearchForPreview, texts::kNoticeCaption);
        return;
    }
    const std::string folder = RunPreviewFolder();
    if (!folder.empty()) folder_ = folder;
    // A preview still running stops at its next step.
    g_bStopPreview = 1;
    const ResultsView::Hit hit = window_.ResultsList()->HitTest(viewportPoint);
    if (hit.row < 0) return;
    if (hit.onCheckBox) return;
    // Whatever the order and the find text, the row leads to its own message.
    PreviewSourceRow(window_.Shown()->SourceRow(hit.row), folder);
}

void PreviewController::OnRowChosen(int shownRow) {
    if (g_bSearchRunning) return;
    const int sourceRow = window_.Shown()->SourceRow(shownRow);
    if (sourceRow < 0) return;
    const std::string folder = RunPreviewFolder();
    if (!folder.empty()) folder_ = folder;
    g_bStopPreview = 1;
    PreviewSourceRow(sourceRow, folder);
}

void PreviewController::PreviewSourceRow(int sourceRow, const std::string& folder) {
    if (sourceRow < 0) return;
    window_.SetControlVisible(kIdBack, false);
    window_.SetControlVisible(kIdStop, true);
    const std::uint32_t offset = window_.Results()->Offset(sourceRow);
    const std::string storePath = g_strSourceFile;
    if (g_bPreviewRunning || running_) return;
    shownSourceRow_ = sourceRow;

    // Without a private folder nothing is extracted: the message must not land anywhere else.
    g_szExtractedMail.clear();
    note_.clear();
    if (!folder.empty()) {
        ExtractRequest request;
        request.offset = offset;
        request.storePath = storePath;
        request.outputDirectory = folder;
        request.prefix = window_.Prefix();
        const ExtractOutcome outcome = ExtractMessage(request, g_nMailCounter, PreviewExtras());
        // A failed extraction leaves nothing to show or to delete.
        if (outcome.status == ExtractStatus::Written) g_szExtractedMail = outcome.path;
        if (outcome.status == ExtractStatus::FirstBlockMissing)
            note_ = WriteMissingMailNote(folder);
    }
    g_bStopSearch = 0;
    window_.ResultsList()->SetBusy(true);
    Start(g_szExtractedMail, folder);
}

void PreviewController::Start(const std::string& emlPath, const std::string& folder) {
    running_ = true;
    g_bJobBusy = 1;
    g_bPreviewRunning = 1;
    // Cleared before the job exists, so that a Stop pressed from now on is never lost.
    g_bStopPreview = 0;
    const WorkflowTestSeam* seam = WorkflowTestSeam::Active();
    std::function<void()> hold = seam ? seam->previewStart : nullptr;
    runner_.Start([this, emlPath, folder, hold, mode = mode_, codePage = codePage_] {
        if (hold) hold();
        preview_ = PreviewPage{};
        if (!emlPath.empty()) {
            preview_ = BuildPreviewPage(emlPath, folder, mode, codePage, &g_bStopPreview);
            ::unlink(emlPath.c_str());
        }
    });
}

void PreviewController::Finish() {
    const PreviewPage preview = preview_;
    // The flags go first: from the moment the list takes clicks again, a click starts a new
    // preview instead of finding this one still marked as running.
    g_bJobBusy = 0;
    g_bPreviewRunning = 0;
    g_bStopPreview = 0;
    running_ = false;
    if (!preview.path.empty()) {
        window_.Pane()->Navigate(QString::fromLocal8Bit(preview.path));
    } else if (!note_.empty()) {
        window_.Pane()->Navigate(QString::fromLocal8Bit(note_));
    }
    window_.ResultsList()->SetBusy(false);
    // Unless a click the list took at once has started the next preview already.
    if (!g_bSearchRunning && !running_) {
        window_.SetControlVisible(kIdBack, true);
        window_.SetControlVisible(kIdStop, false);
    }
    emit Ended();
}

}  // namespace dbx
