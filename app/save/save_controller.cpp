#include "save/save_controller.h"

#include <QFile>
#include <QFileDialog>

#include <filesystem>

#include "ansi_codepage.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/workflow_seam.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "save/saving_dialog.h"
#include "session/window_session.h"
#include "wizard_window.h"

namespace dbx {

// Passes the saving thread's news to the user-interface thread as reports, which arrive in
// the order they were sent and before the end of the save.
class SaveController::Reporter : public SaveProgress {
  public:
    Reporter(SaveController* owner, std::function<void(int)> hold)
        : owner_(owner), hold_(std::move(hold)) {}
    void OnItem(int index) override {
        owner_->job_.Post([owner = owner_, index] { owner->ShowItem(index); });
        if (hold_) hold_(index);
    }
    void OnDone(int done) override {
        owner_->job_.Post([owner = owner_, done] {
            if (owner->saving_) owner->saving_->SetDone(done);
        });
    }

  private:
    SaveController* owner_;
    std::function<void(int)> hold_;
};

SaveController::SaveController(WizardWindow& window, std::function<bool()> searchRunning,
                               QObject* parent)
    : QObject(parent),
      window_(window),
      searchRunning_(std::move(searchRunning)),
      job_([this](SaveReport report) { Finish(report); }) {}

// A save still running is asked to stop and waited for by its job.
SaveController::~SaveController() = default;

void SaveController::OnSave() {
    if (window_.Step() == 1) return;
    if (searchRunning_()) {
        Notify(texts::kSaveDuringSearch);
        return;
    }
    if (Running()) return;
    std::vector<SaveItem> items = TickedMessages();
    if (items.empty()) {
        Notify(texts::kNothingTicked);
        return;
    }
    const std::string folder = ChooseFolder();
    if (folder.empty()) return;
    lastFolder_ = folder;

    WindowSession& session = window_.Session();
    SaveRequest request;
    request.items = std::move(items);
    request.storePath = session.sourceFile;
    request.folder = folder;
    // Taken now: a prefix changed while this save runs applies to the next one.
    request.prefix = session.prefix;
    request.storePieces = session.storePieces;
    request.storeNames = session.storeNames;
    request.counter = &session.mailCounter;
    request.unreadable = session.unreadable;
    if (const WorkflowTestSeam* seam = WorkflowTestSeam::Active()) request.device = seam->device;
    items_ = request.items;

    saving_ = std::make_unique<SavingDialog>(window_.Window());
    saving_->setObjectName(QStringLiteral("savingDialog"));
    saving_->setWindowModality(Qt::ApplicationModal);
    connect(saving_.get(), &SavingDialog::Cancelled, this, [this] { RequestStop(); });
    saving_->Begin(int(request.items.size()));
    saving_->show();

    const WorkflowTestSeam* seam = WorkflowTestSeam::Active();
    reporter_ = std::make_unique<Reporter>(this, seam ? seam->saveItem : nullptr);
    job_.Start([request = std::move(request), reporter = reporter_.get()](
                   const std::atomic<int>& stop) { return RunSave(request, stop, *reporter); });
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
        item.listed = results.Message(row);
        item.from = results.Text(row, ResultsModel::kFrom);
        item.to = results.Text(row, ResultsModel::kTo);
        item.subject = results.Text(row, ResultsModel::kSubject);
        items.push_back(std::move(item));
    }
    return items;
}

std::string SaveController::StartFolder() const {
    if (!lastFolder_.empty()) return lastFolder_;
    const WindowSession& session = window_.Session();
    const std::string storeFolder =
        std::filesystem::path(session.sourceFile).parent_path().string();
    return storeFolder.empty() ? session.startDir : storeFolder;
}

void SaveController::ShowItem(int index) {
    if (!saving_ || index < 0 || std::size_t(index) >= items_.size()) return;
    const SaveItem& item = items_[std::size_t(index)];
    saving_->ShowMessage(item.from, item.to, item.subject);
}

void SaveController::Finish(const SaveReport& report) {
    if (saving_) {
        saving_->hide();
        // Out of the window's children at once, gone once its events are served.
        saving_->setParent(nullptr);
        saving_.release()->deleteLater();
    }
    reporter_.reset();
    items_.clear();
    Notify(SaveReportText(report));
    emit Ended();
}

}  // namespace dbx
