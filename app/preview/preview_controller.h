#pragma once

#include <QObject>
#include <QPoint>

#include <string>

#include "job_runner.h"
#include "preview_page.h"

namespace dbx {

class WizardWindow;

// The preview of a clicked row. The message is extracted on the user-interface thread; its
// page is built on a thread of the pool (decoded as a mail program shows it, or the raw view
// when asked for or when the message cannot be read), which reports its end to the
// user-interface thread, where the pane is navigated and the list and buttons are restored.
class PreviewController : public QObject {
    Q_OBJECT
  public:
    explicit PreviewController(WizardWindow& window, QObject* parent = nullptr);
    // A preview still running is asked to stop and waited for: it never waits for this thread.
    ~PreviewController() override;

    // A click (or double click) at a point of the results list's viewport.
    void OnListClick(const QPoint& viewportPoint);
    // A shown row chosen from the keyboard; nothing happens while a search runs.
    void OnRowChosen(int shownRow);
    // The raw view instead of the decoded one, from the next preview on.
    void SetMode(PreviewMode mode) { mode_ = mode; }
    PreviewMode Mode() const { return mode_; }
    // The code page of texts that name no charset.
    void SetCodePage(const QByteArray& codePage) { codePage_ = codePage; }
    // The model row of the message shown last; -1 before the first preview.
    int ShownSourceRow() const { return shownSourceRow_; }
    // From the start of a preview until its end has been applied to the window.
    bool Running() const { return running_; }
    // The private folder the previews of this run use; "" before the first preview.
    const std::string& Folder() const { return folder_; }

  signals:
    void Ended();

  private:
    void PreviewSourceRow(int sourceRow, const std::string& folder);
    void Start(const std::string& emlPath, const std::string& folder);
    void Finish();

    WizardWindow& window_;
    PreviewPage preview_;  // written by the job, read once it has ended
    JobRunner runner_;
    PreviewMode mode_ = PreviewMode::Decoded;
    QByteArray codePage_ = "windows-1252";
    int shownSourceRow_ = -1;
    std::string folder_;
    std::string note_;  // the page shown instead when the message's first block is gone
    bool running_ = false;
};

}  // namespace dbx
