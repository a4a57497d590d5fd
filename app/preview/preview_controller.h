#pragma once

#include <QObject>
#include <QPoint>

#include <string>

#include "common/job.h"
#include "preview/attachment_job.h"
#include "preview/preview_job.h"

namespace dbx {

class AttachmentController;
class WizardWindow;

// The preview of a clicked row. The message is extracted and its page built on a job of its
// own (decoded as a mail program shows it, or the raw view when asked for or when the message
// cannot be read); the result comes back to the user-interface thread, where the pane is
// navigated and the list and buttons are restored. The attachments a decoded page lists are
// opened and saved from its links, on a job of their own (see AttachmentController).
class PreviewController : public QObject {
    Q_OBJECT
  public:
    // `searchRunning` tells whether a search runs, when no preview may start.
    PreviewController(WizardWindow& window, std::function<bool()> searchRunning,
                      QObject* parent = nullptr);

    // A click (or double click) at a point of the results list's viewport.
    void OnListClick(const QPoint& viewportPoint);
    // A shown row chosen from the keyboard.
    void OnRowChosen(int shownRow);
    // The raw view instead of the decoded one, from the next preview on.
    void SetMode(PreviewMode mode) { mode_ = mode; }
    PreviewMode Mode() const { return mode_; }
    // The code page of texts that name no charset.
    void SetCodePage(const QByteArray& codePage) { codePage_ = codePage; }
    // The model row of the message shown last; -1 before the first preview.
    int ShownSourceRow() const { return shownSourceRow_; }
    // From the start of a preview, or of an attachment's writing, until its end has been
    // applied to the window.
    bool Running() const;
    void RequestStop();
    bool StopRequested() const { return job_.StopRequested(); }
    bool WaitForReturn(std::chrono::milliseconds bound);
    // The private folder the previews of this run use; "" before the first preview.
    const std::string& Folder() const { return folder_; }

  signals:
    void Ended();

  private:
    void PreviewSourceRow(int sourceRow, const std::string& folder);
    void Finish(const PreviewResult& result);
    void OnAttachmentLink(const QUrl& page, const QUrl& link);

    WizardWindow& window_;
    PreviewMode mode_ = PreviewMode::Decoded;
    QByteArray codePage_ = "windows-1252";
    int shownSourceRow_ = -1;
    std::string folder_;
    std::function<bool()> searchRunning_;
    ShownMessage previewed_;  // where the message of the running preview lies
    AttachmentController* attachments_ = nullptr;
    Job<PreviewResult> job_;
};

}  // namespace dbx
