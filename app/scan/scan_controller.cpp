#include "scan/scan_controller.h"

#include <QTimer>

#include "browser/browser_pane.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/workflow_seam.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "main_window_ids.h"
#include "scan/scan_feed.h"
#include "session/window_session.h"
#include "wizard_window.h"

namespace dbx {
namespace {

// How often the window takes what a running scan reported: often enough to look live, rare
// enough to leave the processor to the scan.
constexpr int kFeedIntervalMs = 40;

std::string UnreadableText(const ScanReport& report) {
    const std::string places = report.unreadableRanges == 1
                                   ? "one place"
                                   : std::to_string(report.unreadableRanges) + " places";
    return std::to_string(report.unreadableBytes) +
           " bytes of this file could not be read: the disk failed there (" + places +
           "), and they were read as zeros. Messages stored there may be incomplete; Save "
           "names them.";
}

}  // namespace

ScanController::ScanController(WizardWindow& window, DateFormatter dates, QObject* parent)
    : QObject(parent),
      window_(window),
      dates_(std::move(dates)),
      job_([this](ScanResult result) { Finish(std::move(result)); }) {
    feedTimer_ = new QTimer(this);
    feedTimer_->setInterval(kFeedIntervalMs);
    connect(feedTimer_, &QTimer::timeout, this, [this] { TakeFeed(); });
}

void ScanController::Start(const std::string& path) {
    if (Running()) return;
    window_.SetControlVisible(kIdProgress, true);
    window_.SetControlText(kIdInstruction, texts::kSearching);
    window_.SetControlVisible(kIdInstruction, false);
    window_.SetControlVisible(kIdStatusLine, true);

    WindowSession& session = window_.Session();
    ScanParams params;
    params.path = path;
    params.options.formatDate = dates_;
    params.deep = session.deepSearch;
    params.image = session.imageSearch;
    deep_ = params.deep || params.image;
    image_ = params.image;
    surveyStop_ = std::make_shared<std::atomic<int>>(0);
    params.options.surveyStopFlag = surveyStop_.get();
    session.storeNames.clear();
    session.storePieces.clear();
    session.unreadable = std::make_shared<UnreadableRanges>();
    params.options.unreadable = session.unreadable;

    const WorkflowTestSeam* seam = WorkflowTestSeam::Active();
    if (seam) params.options.device = seam->device;
    feed_ = std::make_shared<ScanFeed>(seam ? seam->scanWindow : ScanFeed::WindowHook());
    feedTimer_->start();
    // The record of unreadable ranges lives as long as the job that writes into it.
    // The survey's flag lives as long as the job that reads it.
    job_.Start([params = std::move(params), feed = feed_,
                surveyStop = surveyStop_](const std::atomic<int>& stop) {
        (void)surveyStop;
        return RunScanJob(params, *feed, stop);
    });
}

void ScanController::RequestStop() {
    if (surveyStop_) surveyStop_->store(1);
    job_.RequestStop();
}

bool ScanController::EndSurvey() {
    if (!Running() || !image_ || !feed_ || feed_->SurveyEnded() || !surveyStop_) return false;
    surveyStop_->store(1);
    return true;
}

void ScanController::TakeFeed() {
    if (!feed_) return;
    ScanFeed::Update update = feed_->Take();
    window_.Results()->Prepend(update.messages);
    if (update.status) window_.SetControlText(kIdStatusLine, *update.status);
    if (update.progress) window_.SetProgress(*update.progress);
}

void ScanController::Finish(ScanResult result) {
    // Whatever the scan reported last reaches the window before it changes its look.
    TakeFeed();
    feedTimer_->stop();
    feed_.reset();
    // The rows as the search ended with them (the command line's): the group each is read
    // from, chains found broken, their order. Nothing can be ticked while a search runs.
    window_.Results()->Replace(result.messages);
    result.messages = {};
    WindowSession& session = window_.Session();
    session.storeNames = std::move(result.storeNames);
    session.storePieces = std::move(result.storePieces);
    const ScanReport report = result.report;
    last_ = std::move(result);
    lastDeep_ = deep_;

    window_.SetControlVisible(kIdStatusLine, false);
    window_.SetControlVisible(kIdInstruction, true);
    window_.SetControlVisible(kIdProgress, false);
    window_.SetControlText(kIdInstruction, texts::kStepTwo);
    window_.SetControlVisible(kIdStop, false);
    window_.SetControlVisible(kIdBack, true);
    window_.Window()->update();
    window_.ResultsList()->viewport()->update();
    window_.Pane()->Navigate(QString::fromLocal8Bit(window_.Session().previewPage));

    emit Ended();
    // Only the first 4 GiB of a store are searched: the user is told once, when the search
    // has gone as far as it can.
    if (report.outcome == ScanOutcome::Finished && report.fileLength > kMaxStoreLength && !image_) {
        Notify(texts::kStoreTooLarge);
    }
    // A dying disk: what it could not give is said once the search is over.
    if (report.unreadableBytes > 0) Notify(UnreadableText(report));
}

}  // namespace dbx
