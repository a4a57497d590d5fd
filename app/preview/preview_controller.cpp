#include "preview/preview_controller.h"

#include <algorithm>

#include "browser/browser_pane.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/workflow_seam.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "preview/attachment_controller.h"
#include "preview/preview_folder.h"
#include "session/window_session.h"
#include "store_search.h"
#include "wizard_window.h"

namespace dbx {

PreviewController::PreviewController(WizardWindow& window, std::function<bool()> searchRunning,
                                     QObject* parent)
    : QObject(parent),
      window_(window),
      searchRunning_(std::move(searchRunning)),
      attachments_(new AttachmentController(window, this)),
      job_([this](PreviewResult result) { Finish(result); }) {
    connect(attachments_, &AttachmentController::Ended, this, &PreviewController::Ended);
    if (BrowserPane* pane = window_.Pane()) {
        connect(pane, &BrowserPane::AttachmentLinkClicked, this,
                [this](const QUrl& page, const QUrl& link) { OnAttachmentLink(page, link); });
    }
}

bool PreviewController::Running() const {
    return job_.Running() || attachments_->Running();
}

void PreviewController::RequestStop() {
    job_.RequestStop();
    attachments_->RequestStop();
}

bool PreviewController::WaitForReturn(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    if (!job_.WaitForReturn(bound)) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return attachments_->WaitForReturn(std::max(std::chrono::milliseconds(0), left));
}

void PreviewController::OnAttachmentLink(const QUrl& page, const QUrl& link) {
    // One job at a time: a link clicked while something runs does nothing.
    if (searchRunning_() || Running()) return;
    const std::string folder = RunPreviewFolder();
    if (!folder.empty()) folder_ = folder;
    attachments_->OnLink(page, link, folder);
}

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
    const RecoveredMessage& listed = window_.Results()->Message(sourceRow);
    PreviewParams params;
    params.offset = listed.offset;
    params.storePath = session.sourceFile;
    params.folder = folder;
    params.prefix = session.prefix;
    // The bytes Save writes: each row where its search found it, a row of a deep search at
    // its group's positions, one of a disk image through the map of its store's pieces.
    params.extras = ReadingOf(listed, session.PiecesOf(listed.store));
    params.counter = &session.mailCounter;
    params.mode = mode_;
    params.codePage = codePage_;
    previewed_.offset = params.offset;
    previewed_.storePath = params.storePath;
    previewed_.extras = params.extras;
    previewed_.codePage = codePage_;
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
        const QString path = QString::fromLocal8Bit(result.page.path);
        if (result.page.decoded) {
            attachments_->SetShownPage(QUrl::fromLocalFile(path), previewed_,
                                       result.page.attachments);
        } else {
            attachments_->ClearShownPage();
        }
        window_.Pane()->Navigate(path);
    } else if (!result.note.empty()) {
        attachments_->ClearShownPage();
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
