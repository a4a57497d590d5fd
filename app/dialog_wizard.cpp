// Next, Back, Stop, Select all and Unselect all, and the control sets of the two steps.
#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>

#include <filesystem>

#include "ansi_codepage.h"
#include "app_message.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "find_bar.h"
#include "globals.h"
#include "recovery_dialog.h"
#include "results_filter.h"
#include "results_model.h"
#include "results_view.h"
#include "save_controller.h"
#include "scan_controller.h"
#include "splitter_bar.h"
#include "static_text.h"

namespace dbx {

void RecoveryDialog::ShowStepOne() {
    for (int id :
         {kIdBrowse, kIdPath, kIdNext, kIdSelectFrame, kIdSelectAll, kIdUnselectAll, kIdPicture}) {
        SetControlVisible(id, true);
    }
    Instruction()->SetWindowText(AnsiToQString(texts::kStepOne));
}

void RecoveryDialog::HideStepOne() {
    for (int id : {kIdBrowse, kIdPath, kIdNext, kIdSelectFrame, kIdPicture}) {
        SetControlVisible(id, false);
    }
}

void RecoveryDialog::ShowStepTwo() {
    for (int id : {kIdResults, kIdStop, kIdSelectAll, kIdUnselectAll, kIdStatusLine}) {
        SetControlVisible(id, true);
    }
    if (m_wndSplitter) m_wndSplitter->show();
    Pane()->Navigate(QString::fromLocal8Bit(g_strPreviewPage));
}

void RecoveryDialog::HideStepTwo() {
    for (int id : {kIdResults, kIdStop, kIdBack, kIdStatusLine}) SetControlVisible(id, false);
    if (m_wndSplitter) m_wndSplitter->hide();
    if (m_findBar) m_findBar->Close();
}

void RecoveryDialog::OnNext() {
    if (m_nStep == 2) return;
    // Step 1 is only shown once every job has ended; this holds should that ever change.
    if (JobRunning()) return;
    const std::string path = QFile::encodeName(ControlAs<QLineEdit>(kIdPath)->text()).toStdString();
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        Notify(texts::kNoFileSelected, texts::kNoticeCaption, texts::kNoFileSelectedMore);
        return;
    }
    g_strSourceFile = path;
    m_nStep += 1;
    HideStepOne();
    ShowStepTwo();
    g_bStopSearch = 0;
    m_results->Clear();
    // A new search lists its rows in the order found; sorting waits for its end.
    ResultsList()->SortBy(-1);
    setWindowTitle(m_strTitle);
    g_bJobBusy = 0;
    m_scan->Start(path);
}

void RecoveryDialog::OnBack() {
    if (m_bBackPending) return;
    if (JobRunning()) {
        // The job's last changes to the window must land before step 1 is shown, not on top
        // of it: Back is taken now and done when the job reports its end.
        m_bBackPending = true;
        if (QWidget* back = Control(kIdBack)) back->setEnabled(false);
        g_bStopSearch = 1;
        g_bStopPreview = 1;
        m_save->RequestStop();
        return;
    }
    GoBack();
}

void RecoveryDialog::GoBack() {
    m_nStep -= 1;
    ShowStepOne();
    HideStepTwo();
}

void RecoveryDialog::OnJobEnded() {
    if (!m_bBackPending || JobRunning()) return;
    m_bBackPending = false;
    if (QWidget* back = Control(kIdBack)) back->setEnabled(true);
    GoBack();
}

void RecoveryDialog::OnStop() {
    // A press that arrives after the job has ended has nothing to stop.
    if (!JobRunning() || m_bBackPending) return;
    if (Ask(texts::kStopQuestion) != kIdYes) return;
    // The job may have ended while the question was open; its end look stands.
    if (!JobRunning()) return;
    g_bStopSearch = 1;
    g_bStopPreview = 1;
    SetControlVisible(kIdBack, true);
    SetControlVisible(kIdStop, false);
}

void RecoveryDialog::OnSelectAll() {
    if (g_bJobBusy) return;
    // With a find text standing, only the rows it shows.
    std::vector<int> rows;
    rows.reserve(std::size_t(m_shown->rowCount()));
    for (int row = 0; row < m_shown->rowCount(); ++row) rows.push_back(m_shown->SourceRow(row));
    m_results->SetChecked(rows, true);
}

void RecoveryDialog::OnUnselectAll() {
    if (g_bJobBusy) return;
    m_results->SetAllChecked(false);
}

}  // namespace dbx
