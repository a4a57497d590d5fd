#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "common/job.h"
#include "record_date.h"
#include "scan/scan_job.h"

class QTimer;

namespace dbx {

class ScanFeed;
class WizardWindow;

// The search that Next starts. The scan runs on a thread of its own and never touches the
// window: what it finds goes through a feed that the window takes from on a timer, and its
// result comes back to the user-interface thread, which then gives the window its results look.
class ScanController : public QObject {
    Q_OBJECT
  public:
    ScanController(WizardWindow& window, DateFormatter dates, QObject* parent = nullptr);

    // Shows the search look and starts scanning `path`. Does nothing while a search runs.
    void Start(const std::string& path);
    // From Start until the end of the search has been applied to the window.
    bool Running() const { return job_.Running(); }
    // Ends the search; an image's survey too.
    void RequestStop();
    // While an image's survey runs: ends the survey only, and the stores it found so far are
    // still read and listed (true). False when there is no survey to end.
    bool EndSurvey();
    // Whether a stop was asked of the latest search.
    bool StopRequested() const { return job_.StopRequested(); }
    bool WaitForReturn(std::chrono::milliseconds bound) { return job_.WaitForReturn(bound); }
    // What the latest search that ended handed back, and whether it was the deep one.
    const ScanResult& LastResult() const { return last_; }
    bool LastWasDeep() const { return lastDeep_; }

  signals:
    // The search has ended and the window shows its results look.
    void Ended();

  private:
    void TakeFeed();
    void Finish(ScanResult result);

    WizardWindow& window_;
    DateFormatter dates_;
    std::shared_ptr<ScanFeed> feed_;
    QTimer* feedTimer_ = nullptr;
    Job<ScanResult> job_;
    ScanResult last_;
    // An image's survey ends when this is raised (a stop ends the search).
    std::shared_ptr<std::atomic<int>> surveyStop_;
    bool deep_ = false;  // of the running search
    bool image_ = false;
    bool lastDeep_ = false;
};

}  // namespace dbx
