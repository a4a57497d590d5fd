#include "wizard/wizard_flow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>

#include <filesystem>

#include "browser/browser_pane.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/locale_dates.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "message_box_dialog.h"
#include "preview/preview_controller.h"
#include "save/save_controller.h"
#include "scan/scan_controller.h"
#include "session/window_session.h"
#include "wizard/disk_image_question.h"
#include "wizard_window.h"

namespace dbx {

WizardFlow::WizardFlow(WizardWindow& window, QObject* parent) : QObject(parent), m_window(window) {
    const auto searchRunning = [this] { return SearchRunning(); };
    m_scan = new ScanController(window, LocaleDateFormatter(), this);
    m_preview = new PreviewController(window, searchRunning, this);
    m_save = new SaveController(window, searchRunning, this);
    connect(m_scan, &ScanController::Ended, this, [this] {
        // The search left its stores' names in the session; the list names each row's store.
        m_window.Results()->SetStoreNames(m_window.Session().storeNames);
        OnJobEnded();
    });
    connect(m_preview, &PreviewController::Ended, this, [this] { OnJobEnded(); });
    connect(m_save, &SaveController::Ended, this, [this] { OnJobEnded(); });
}

WizardFlow::~WizardFlow() {
    // Each job is asked to stop and waited for; no job waits for this thread.
    delete m_save;
    delete m_preview;
    delete m_scan;
}

void WizardFlow::Begin() {
    m_nStep = 1;
    m_window.SetControlText(kIdInstruction, texts::kStepOne);
}

bool WizardFlow::Busy() const {
    return m_scan->Running() || m_preview->Running() || m_save->Running();
}

bool WizardFlow::SearchRunning() const {
    return m_scan->Running();
}

void WizardFlow::ShowStepOne() {
    for (int id :
         {kIdBrowse, kIdPath, kIdNext, kIdSelectFrame, kIdSelectAll, kIdUnselectAll, kIdPicture}) {
        m_window.SetControlVisible(id, true);
    }
    m_window.SetControlText(kIdInstruction, texts::kStepOne);
}

void WizardFlow::HideStepOne() {
    for (int id : {kIdBrowse, kIdPath, kIdNext, kIdSelectFrame, kIdPicture}) {
        m_window.SetControlVisible(id, false);
    }
}

void WizardFlow::ShowStepTwo() {
    for (int id : {kIdResults, kIdStop, kIdSelectAll, kIdUnselectAll, kIdStatusLine}) {
        m_window.SetControlVisible(id, true);
    }
    m_window.Pane()->Navigate(QString::fromLocal8Bit(m_window.Session().previewPage));
}

void WizardFlow::HideStepTwo() {
    for (int id : {kIdResults, kIdStop, kIdBack, kIdStatusLine}) {
        m_window.SetControlVisible(id, false);
    }
}

void WizardFlow::OnNext() {
    if (m_nStep == 2) return;
    // Step 1 is only shown once every job has ended; this holds should that ever change.
    if (Busy()) return;
    auto* field = qobject_cast<QLineEdit*>(m_window.Control(kIdPath));
    const std::string path = field ? QFile::encodeName(field->text()).toStdString() : "";
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        Notify(texts::kNoFileSelected, texts::kNoticeCaption, texts::kNoFileSelectedMore);
        return;
    }
    // Asked before the step changes: the answer decides which search runs.
    const ImageQuestion question = ImageQuestionFor(path);
    const bool image =
        question != ImageQuestion::kNotAsked && Ask(ImageQuestionText(question)) == kIdYes;
    m_window.Session().sourceFile = path;
    m_window.Session().imageSearch = image;
    m_nStep += 1;
    HideStepOne();
    ShowStepTwo();
    emit StepShown(2);
    ClearResults();
    m_scan->Start(path);
}

void WizardFlow::SearchAgain() {
    if (m_nStep != 2 || Busy() || m_bBackPending) return;
    m_window.SetControlVisible(kIdBack, false);
    m_window.SetControlVisible(kIdStop, true);
    ClearResults();
    m_scan->Start(m_window.Session().sourceFile);
}

void WizardFlow::ClearResults() {
    m_window.Results()->Clear();
    // A new search lists its rows in the order found; sorting waits for its end.
    m_window.ResultsList()->SortBy(-1);
}

void WizardFlow::OnBack() {
    if (m_bBackPending) return;
    if (Busy()) {
        // The job's last changes to the window must land before step 1 is shown, not on top
        // of it: Back is taken now and done when the job reports its end.
        m_bBackPending = true;
        if (QWidget* back = m_window.Control(kIdBack)) back->setEnabled(false);
        StopJobs();
        return;
    }
    GoBack();
}

void WizardFlow::GoBack() {
    m_nStep -= 1;
    ShowStepOne();
    HideStepTwo();
    // The keyboard goes back to the path, as at start-up, not to whatever came next.
    if (QWidget* path = m_window.Control(kIdPath)) path->setFocus();
    emit StepShown(1);
}

void WizardFlow::OnJobEnded() {
    emit JobEnded();
    if (!m_bBackPending || Busy()) return;
    m_bBackPending = false;
    if (QWidget* back = m_window.Control(kIdBack)) back->setEnabled(true);
    GoBack();
}

void WizardFlow::OnStop() {
    // A press that arrives after the job has ended has nothing to stop.
    if (!Busy() || m_bBackPending) return;
    // A question about a job that has ended asks nothing: it goes away by itself, taken as No
    // (a Yes/No box cannot be cancelled).
    QMetaObject::Connection closer = connect(this, &WizardFlow::JobEnded, this, [] {
        if (auto* box = qobject_cast<MessageBoxDialog*>(QApplication::activeModalWidget())) {
            box->Command(kIdNo);
        }
    });
    const int answer = Ask(texts::kStopQuestion);
    disconnect(closer);
    if (answer != kIdYes) return;
    // The job may have ended while the question was open; its end look stands.
    if (!Busy()) return;
    // During an image's survey Stop ends the survey alone: the stores found so far are still
    // read and listed, and Stop stays for that reading.
    if (m_scan->EndSurvey()) return;
    m_scan->RequestStop();
    m_preview->RequestStop();
    m_window.SetControlVisible(kIdBack, true);
    m_window.SetControlVisible(kIdStop, false);
}

void WizardFlow::StopJobs() {
    m_scan->RequestStop();
    m_preview->RequestStop();
    m_save->RequestStop();
}

bool WizardFlow::WaitForJobsToReturn(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    const auto left = [deadline] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now()));
    };
    // At most one job runs; each wait is over at once for a job that is not running.
    return m_scan->WaitForReturn(left()) && m_preview->WaitForReturn(left()) &&
           m_save->WaitForReturn(left());
}

void WizardFlow::OnSelectAll() {
    if (Busy()) return;
    // With a find text standing, only the rows it shows.
    ResultsFilter* shown = m_window.Shown();
    std::vector<int> rows;
    rows.reserve(std::size_t(shown->rowCount()));
    for (int row = 0; row < shown->rowCount(); ++row) rows.push_back(shown->SourceRow(row));
    m_window.Results()->SetChecked(rows, true);
}

void WizardFlow::OnUnselectAll() {
    if (Busy()) return;
    m_window.Results()->SetAllChecked(false);
}

void WizardFlow::OnSave() {
    m_save->OnSave();
}

void WizardFlow::OnListClick(const QPoint& viewportPoint) {
    m_preview->OnListClick(viewportPoint);
}

void WizardFlow::OnRowChosen(int shownRow) {
    if (m_nStep != 2 || m_scan->Running() || m_save->Running()) return;
    m_preview->OnRowChosen(shownRow);
}

}  // namespace dbx
