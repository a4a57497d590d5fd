#include "save_controller.h"

#include <QFile>
#include <QFileDialog>

#include <filesystem>

#include "ansi_codepage.h"
#include "app_message.h"
#include "app_texts.h"
#include "deep_scan.h"
#include "globals.h"
#include "results_filter.h"
#include "results_model.h"
#include "saving_dialog.h"
#include "wizard_window.h"
#include "workflow_seam.h"

namespace dbx {

// Passes the saving thread's news to the user-interface thread as reports, which arrive in
// the order they were sent and before the end of the save.
class SaveController::Reporter : public SaveProgress {
  public:
    Reporter(SaveController* owner, std::function<void(int)> hold)
        : owner_(owner), hold_(std::move(hold)) {}
    void OnItem(int index) override {
        owner_->runner_.Post([owner = owner_, index] { owner->ShowItem(index); });
        if (hold_) hold_(index);
    }
    void OnDone(int done) override {
        owner_->runner_.Post([owner = owner_, done] {
            if (owner->saving_) owner->saving_->SetDone(done);
        });
    }

  private:
    SaveController* owner_;
    std::function<void(int)> hold_;
};

SaveController::SaveController(WizardWindow& window, QObject* parent)
    : QObject(parent), window_(window) {
    connect(&runner_, &JobRunner::Ended, this, [this] { Finish(); });
}

SaveController::~SaveController() {
    if (!running_) return;
    stop_ = 1;
    runner_.Join();
    g_bJobBusy = 0;
}

void SaveController::OnSave() {
    if (window_.Step() == 1) return;
    if (g_bSearchRunning) {
        Notify(texts::kSaveDuringSearch);
        return;
    }
    if (running_) return;
    std::vector<SaveItem> items = TickedMessages();
    if (items.empty()) {
        Notify(texts::kNothingTicked);
        return;
    }
    const std::string folder = ChooseFolder();
    if (folder.empty()) return;
    lastFolder_ = folder;

    SaveRequest request;
    request.items = std::move(items);
    request.storePath = g_strSourceFile;
    request.folder = folder;
    // Taken now: a prefix changed while this save runs applies to the next one.
    request.prefix = window_.Prefix();
    request.displacement = g_nStoreDisplacement.load();
    request.deep = g_bDeepResults.load() != 0;
    items_ = request.items;

    running_ = true;
    g_bJobBusy = 1;
    stop_ = 0;
    saving_ = std::make_unique<SavingDialog>(window_.Window());
    saving_->setWindowModality(Qt::ApplicationModal);
    connect(saving_.get(), &SavingDialog::Cancelled, this, [this] { RequestStop(); });
    saving_->Begin(int(request.items.size()));
    saving_->show();

    const WorkflowTestSeam* seam = WorkflowTestSeam::Active();
    reporter_ = std::make_unique<Reporter>(this, seam ? seam->saveItem : nullptr);
    runner_.Start([this, request = std::move(request), reporter = reporter_.get()] {
        report_ = RunSave(request, stop_, *reporter);
    });
}

std::string SaveController::ChooseFolder() {
    const std::string start = StartFolder();
    if (const WorkflowTestSeam* seam = WorkflowTestSeam::Active(); seam && seam->saveFolder) {
        return seam->saveFolder(start);
    }
    const QString folder =
        QFileDialog::getExistingDirectory(window_.Window(), AnsiToQString(texts::kChooseSaveFolder),
                                          QFile::decodeName(QByteArray::fromStdString(start)));
    return QFile::encodeName(folder).toStdString();
}

std::vector<SaveItem> SaveController::TickedMessages() const {
    const ResultsModel& results = *window_.Results();
    const ResultsFilter& shown = *window_.Shown();
    std::vector<SaveItem> items;
    // The rows the list shows, in its order: a row the find bar hides is not saved.
    for (int shownRow = 0; shownRow < shown.rowCount(); ++shownRow) {
        const int row = shown.SourceRow(shownRow);
        if (!results.Checked(row)) continue;
        SaveItem item;
        item.offset = results.Offset(row);
        item.dateSeconds = results.DateSeconds(row);
        item.from = results.Text(row, ResultsModel::kFrom);
        item.to = results.Text(row, ResultsModel::kTo);
        item.subject = results.Text(row, ResultsModel::kSubject);
        item.startMissing = HeadlessOrphans().count(item.offset) != 0;
        items.push_back(std::move(item));
    }
    return items;
}

std::string SaveController::StartFolder() const {
    if (!lastFolder_.empty()) return lastFolder_;
    const std::string storeFolder = std::filesystem::path(g_strSourceFile).parent_path().string();
    return storeFolder.empty() ? window_.StartDir() : storeFolder;
}

void SaveController::ShowItem(int index) {
    if (!saving_ || index < 0 || std::size_t(index) >= items_.size()) return;
    const SaveItem& item = items_[std::size_t(index)];
    saving_->ShowMessage(item.from, item.to, item.subject);
}

void SaveController::Finish() {
    const SaveReport report = report_;
    if (saving_) {
        saving_->hide();
        saving_.release()->deleteLater();
    }
    reporter_.reset();
    items_.clear();
    g_bJobBusy = 0;
    running_ = false;
    Notify(SaveReportText(report));
    emit Ended();
}

}  // namespace dbx
