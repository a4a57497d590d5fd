// Next, Back, Stop, Select all and Unselect all, and the control sets of the two steps.
#include <QFile>
#include <QLineEdit>

#include <filesystem>

#include "ansi_codepage.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "globals.h"
#include "jobs.h"
#include "markup_message_box.h"
#include "recovery_dialog.h"
#include "results_model.h"
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
    // The splitter bar joins this set when it exists.
    for (int id : {kIdResults, kIdStop, kIdSelectAll, kIdUnselectAll, kIdStatusLine}) {
        SetControlVisible(id, true);
    }
    Pane()->Navigate(QString::fromLocal8Bit(g_strPreviewPage));
}

void RecoveryDialog::HideStepTwo() {
    for (int id : {kIdResults, kIdStop, kIdBack, kIdStatusLine}) SetControlVisible(id, false);
}

void RecoveryDialog::OnNext() {
    if (m_nStep == 2) return;
    const std::string path = QFile::encodeName(ControlAs<QLineEdit>(kIdPath)->text()).toStdString();
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        MessageBoxOptions options = AppMessageOptions();
        options.moreText = texts::kNoFileSelectedMore;
        ShowMarkupMessageBox(nullptr, texts::kNoFileSelected, texts::kNoticeCaption,
                             kMbOk | kMbIconInformation, &options);
        return;
    }
    g_strSourceFile = path;
    m_nStep += 1;
    HideStepOne();
    ShowStepTwo();
    g_bStopSearch = 0;
    m_results->Clear();
    g_bJobBusy = 0;
    StartJob([this] { ScanJob(this); });
}

void RecoveryDialog::OnBack() {
    // Back shows only once the job has ended or been told to stop; its last changes to the
    // window must land before step 1 is shown, not on top of it.
    WaitForJob();
    m_nStep -= 1;
    ShowStepOne();
    HideStepTwo();
}

void RecoveryDialog::OnStop() {
    const MessageBoxOptions options = AppMessageOptions();
    const int answer = ShowMarkupMessageBox(nullptr, texts::kStopQuestion, texts::kCaption,
                                            kMbYesNo | kMbIconQuestion, &options);
    if (answer != kIdYes) return;
    g_bStopSearch = 1;
    g_bStopPreview = 1;
    SetControlVisible(kIdBack, true);
    SetControlVisible(kIdStop, false);
}

void RecoveryDialog::OnSelectAll() {
    if (g_bJobBusy) return;
    m_results->SetAllChecked(true);
}

void RecoveryDialog::OnUnselectAll() {
    if (g_bJobBusy) return;
    m_results->SetAllChecked(false);
}

}  // namespace dbx
