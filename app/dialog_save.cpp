// Save: the ticked rows of the results list written as .eml files into a folder the user
// chooses, on a job thread, with the saving dialog showing the progress.
#include <filesystem>

#include "app_texts.h"
#include "globals.h"
#include "jobs.h"
#include "markup_message_box.h"
#include "recovery_dialog.h"
#include "results_model.h"
#include "save_request.h"
#include "saving_dialog.h"

namespace dbx {
namespace {

void Notice(const char* text) {
    const MessageBoxOptions options = AppMessageOptions();
    ShowMarkupMessageBox(nullptr, text, texts::kCaption, kMbOk | kMbIconInformation, &options);
}

}  // namespace

void RecoveryDialog::OnSave() {
    if (m_nStep == 1) return;
    if (g_bSearchRunning) {
        Notice(texts::kSaveDuringSearch);
        return;
    }
    std::vector<SaveItem> items = TickedMessages();
    if (items.empty()) {
        Notice(texts::kNothingTicked);
        return;
    }
    const std::string folder = m_chooseFolder ? m_chooseFolder(this, SaveStartFolder()) : "";
    if (folder.empty()) return;
    m_strSaveDir = folder;

    SaveRequest request;
    request.items = std::move(items);
    request.storePath = g_strSourceFile;
    request.folder = folder;
    // Taken now: a prefix changed while this save runs applies to the next one.
    request.prefix = m_strPrefix;

    m_bStopSave = 0;
    m_saving = std::make_unique<SavingDialog>(this);
    m_saving->setWindowModality(Qt::ApplicationModal);
    connect(m_saving.get(), &SavingDialog::Cancelled, this, [this] { m_bStopSave = 1; });
    m_saving->Begin(int(request.items.size()));
    m_saving->show();
    StartJob([this, request = std::move(request)] { SaveJob(this, request); });
}

std::vector<SaveItem> RecoveryDialog::TickedMessages() const {
    std::vector<SaveItem> items;
    for (int row = 0; row < m_results->rowCount(); ++row) {
        if (!m_results->Checked(row)) continue;
        SaveItem item;
        item.offset = ParseLocation(m_results->Text(row, ResultsModel::kLocation));
        item.from = m_results->Text(row, ResultsModel::kFrom);
        item.to = m_results->Text(row, ResultsModel::kTo);
        item.subject = m_results->Text(row, ResultsModel::kSubject);
        items.push_back(std::move(item));
    }
    return items;
}

std::string RecoveryDialog::SaveStartFolder() const {
    if (!m_strSaveDir.empty()) return m_strSaveDir;
    const std::string storeFolder = std::filesystem::path(g_strSourceFile).parent_path().string();
    return storeFolder.empty() ? m_strStartDir : storeFolder;
}

void RecoveryDialog::ShowSavingMessage(const SaveItem& item) {
    if (m_saving) m_saving->ShowMessage(item.from, item.to, item.subject);
}

void RecoveryDialog::SetSavingDone(int done) {
    if (m_saving) m_saving->SetDone(done);
}

void RecoveryDialog::FinishSave(const SaveReport& report) {
    if (m_saving) {
        m_saving->hide();
        m_saving.release()->deleteLater();
    }
    const MessageBoxOptions options = AppMessageOptions();
    ShowMarkupMessageBox(nullptr, SaveReportText(report), texts::kCaption,
                         kMbOk | kMbIconInformation, &options);
}

}  // namespace dbx
