#include "preview/preview_controller.h"

#include "browser/browser_pane.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/workflow_seam.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "preview/preview_folder.h"
#include "session/window_session.h"
#include "wizard_window.h"

namespace dbx {

PreviewController::PreviewController(WizardWindow& window, std::function<bool()> searchRunning,
                                     QObject* parent)
    : QObject(parent),
      window_(window),
      searchRunning_(std::move(searchRunning)),
      job_([this](PreviewResult result) { Finish(result); }) {}

void PreviewController::OnListClick(const QPoint& viewportPoint) {
    if (searchRunning_()) {
        Notify(texts::kStopSearchForPreview, texts::kNoticeCaption);
        return;
    }
    const std::string folder = RunPreviewFolder();
    if (!folder.empty()) folder_ = folder;
    // A preview still running stops at its next step.
    RequestStop();
    const ResultsView::Hit hit = window_.ResultsList()->HitTest(viewportPoint);
    if (hit.row < 0) return;
    if (hit.onCheckBox) return;
    // Whatever the order and the find text, the row leads to its own message.
    PreviewSourceRow(window_.Shown()->SourceRow(hit.row), folder);
}

void PreviewController::OnRowChosen(int shownRow) {
    if (searchRunning_()) return;
    const int sourceRow = window_.Shown()->SourceRow(shownRow);
    if (sourceRow < 0) return;
    const std::string folder = RunPreviewFolder();
    if (!folder.empty()) folder_ = folder;
    RequestStop();
    PreviewSourceRow(sourceRow, folder);
}

void PreviewController::PreviewSourceRow(int sourceRow, const std::string& folder) {
    if (sourceRow < 0) return;
    window_.SetControlVisible(kIdBack, false);
    window_.SetControlVisible(kIdStop, true);
    if (Running()) return;
    shownSourceRow_ = sourceRow;

    WindowSession& session = window_.Session();
    PreviewParams params;
    params.offset = window_.Results()->Offset(sourceRow);
    params.storePath = session.sourceFile;
    params.folder = folder;
    params.prefix = session.prefix;
    // Rows of a deep search name the store's own positions.
    params.extras.displacement = session.storeDisplacement;
    params.extras.trimFreedTail = true;  // the bytes Save writes
    params.counter = &session.mailCounter;
    params.mode = mode_;
    params.codePage = codePage_;
    if (const WorkflowTestSeam* seam = WorkflowTestSeam::Active()) params.hold = seam->previewStart;

    window_.ResultsList()->SetBusy(true);
    job_.Start([params = std::move(params)](const std::atomic<int>& stop) {
        return RunPreviewJob(params, stop);
    });
}

void PreviewController::Finish(const PreviewResult& result) {
    // The job counts as over from here on: once the list takes clicks again, a click starts
    // a new preview instead of finding this one still running.
    if (!result.page.path.empty()) {
        window_.Pane()->Navigate(QString::fromLocal8Bit(result.page.path));
    } else if (!result.note.empty()) {
        window_.Pane()->Navigate(QString::fromLocal8Bit(result.note));
    }
    window_.ResultsList()->SetBusy(false);
    // Unless a click the list took at once has started the next preview already.
    if (!searchRunning_() && !Running()) {
        window_.SetControlVisible(kIdBack, true);
        window_.SetControlVisible(kIdStop, false);
    }
    emit Ended();
}

}  // namespace dbx
