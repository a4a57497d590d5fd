#include "scan_controller.h"

#include <QTimer>

#include "app_message.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "deep_scan.h"
#include "globals.h"
#include "main_window_ids.h"
#include "results_model.h"
#include "results_view.h"
#include "scan_feed.h"
#include "wizard_window.h"
#include "workflow_seam.h"

namespace dbx {
namespace {

// How often the window takes what a running scan reported: often enough to look live, rare
// enough to leave the processor to the scan.
constexpr int kFeedIntervalMs = 40;

// The deep search when Tools > Deep search is ticked, else the plain one. The store's
// displacement is handed back for the preview and Save of its rows.
ScanReport Search(const std::string& path, ScanFeed& feed, const ScanOptions& options, bool deep,
                  std::int64_t& displacement) {
    displacement = 0;
    if (!deep) return ScanStore(path, feed, options);
    const DeepScanReport report = DeepScanStore(path, feed, options);
    displacement = report.displacement;
    return report.scan;
}

}  // namespace

ScanController::ScanController(WizardWindow& window, DateFormatter dates, QObject* parent)
    : QObject(parent), window_(window), dates_(std::move(dates)) {
    feedTimer_ = new QTimer(this);
    feedTimer_->setInterval(kFeedIntervalMs);
    connect(feedTimer_, &QTimer::timeout, this, [this] { TakeFeed(); });
    connect(&runner_, &JobRunner::Ended, this, [this] { Finish(); });
}

ScanController::~ScanController() {
    if (!running_) return;
    g_bStopSearch = 1;
    runner_.Join();
    g_bJobBusy = 0;
    g_bSearchRunning = 0;
}

void ScanController::Start(const std::string& path) {
    if (running_) return;
    running_ = true;
    g_bJobBusy = 1;
    g_bSearchRunning = 1;

    window_.SetControlVisible(kIdProgress, true);
    window_.SetControlText(kIdInstruction, texts::kSearching);
    window_.SetControlVisible(kIdInstruction, false);
    window_.SetControlVisible(kIdStatusLine, true);

    const WorkflowTestSeam* seam = WorkflowTestSeam::Active();
    feed_ = std::make_shared<ScanFeed>(seam ? seam->scanWindow : ScanFeed::WindowHook());
    feedTimer_->start();
    ScanOptions options;
    options.stopFlag = &g_bStopSearch;
    options.formatDate = dates_;
    const bool deep = g_bDeepSearch.load() != 0;
    g_nStoreDisplacement = 0;
    g_bDeepResults = deep ? 1 : 0;
    HeadlessOrphans().clear();
    runner_.Start([this, path, feed = feed_, options, deep] {
        report_ = Search(path, *feed, options, deep, displacement_);
    });
}

void ScanController::TakeFeed() {
    if (!feed_) return;
    ScanFeed::Update update = feed_->Take();
    for (const RecoveredMessage& m : update.messages) {
        if (m.orphaned && m.incomplete) HeadlessOrphans().insert(m.offset);
    }
    window_.Results()->Prepend(update.messages);
    if (update.status) window_.SetControlText(kIdStatusLine, *update.status);
    if (update.progress) window_.SetProgress(*update.progress);
}

void ScanController::Finish() {
    const ScanReport report = report_;
    // Whatever the scan reported last reaches the window before it changes its look.
    TakeFeed();
    feedTimer_->stop();
    feed_.reset();
    g_nStoreLength = std::uint32_t(report.scannedLength);
    g_nStoreDisplacement = displacement_;

    window_.SetControlVisible(kIdStatusLine, false);
    window_.SetControlVisible(kIdInstruction, true);
    window_.SetControlVisible(kIdProgress, false);
    window_.SetControlText(kIdInstruction, texts::kStepTwo);
    window_.SetControlVisible(kIdStop, false);
    window_.SetControlVisible(kIdBack, true);
    window_.Window()->update();
    window_.ResultsList()->viewport()->update();
    window_.Pane()->Navigate(QString::fromLocal8Bit(g_strPreviewPage));

    g_bJobBusy = 0;
    g_bSearchRunning = 0;
    running_ = false;
    emit Ended();
    // Only the first 4 GiB of a store are searched: the user is told once, when the search
    // has gone as far as it can.
    if (report.outcome == ScanOutcome::Finished && report.fileLength > kMaxStoreLength) {
        Notify(texts::kStoreTooLarge);
    }
}

}  // namespace dbx
