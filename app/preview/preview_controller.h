#pragma once

#include <QObject>
#include <QPoint>

#include <string>

#include "job_runner.h"
#include "preview_builder.h"

namespace dbx {

class WizardWindow;

// The preview of a clicked row. The message is extracted on the user-interface thread; the
// displayable part is cut out on a thread of its own, which reports its end to the
// user-interface thread, where the pane is navigated and the list and buttons are restored.
class PreviewController : public QObject {
    Q_OBJECT
  public:
    explicit PreviewController(WizardWindow& window, QObject* parent = nullptr);
    // A preview still running is asked to stop and waited for: it never waits for this thread.
    ~PreviewController() override;

    // A click (or double click) at a point of the results list's viewport.
    void OnListClick(const QPoint& viewportPoint);
    // From the start of a preview until its end has been applied to the window.
    bool Running() const { return running_; }
    // The private folder the previews of this run use; "" before the first preview.
    const std::string& Folder() const { return folder_; }

  signals:
    void Ended();

  private:
    void Start(const std::string& emlPath, const std::string& folder);
    void Finish();

    WizardWindow& window_;
    PreviewResult preview_;  // written by the job, read once it has ended
    JobRunner runner_;
    std::string folder_;
    std::string note_;  // the page shown instead when the message's first block is gone
    bool running_ = false;
};

}  // namespace dbx
