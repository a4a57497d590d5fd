#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "job_runner.h"
#include "record_date.h"
#include "scan_store.h"

class QTimer;

namespace dbx {

class ScanFeed;
class WizardWindow;

// The search that Next starts. The scan runs on a thread of its own and never touches the
// window: what it finds goes through a feed that the window takes from on a timer, and its
// end is reported to the user-interface thread, which then gives the window its results look.
class ScanController : public QObject {
    Q_OBJECT
  public:
    ScanController(WizardWindow& window, DateFormatter dates, QObject* parent = nullptr);
    // A search still running is asked to stop and waited for: it never waits for this thread.
    ~ScanController() override;

    // Shows the search look and starts scanning `path`. Does nothing while a search runs.
    void Start(const std::string& path);
    // From Start until the end of the search has been applied to the window.
    bool Running() const { return running_; }

  signals:
    // The search has ended and the window shows its results look.
    void Ended();

  private:
    void TakeFeed();
    void Finish();

    WizardWindow& window_;
    DateFormatter dates_;
    std::shared_ptr<ScanFeed> feed_;
    QTimer* feedTimer_ = nullptr;
    ScanReport report_;              // written by the job, read once it has ended
    std::int64_t displacement_ = 0;  // likewise
    JobRunner runner_;
    bool running_ = false;
};

}  // namespace dbx
