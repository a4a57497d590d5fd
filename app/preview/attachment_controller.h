#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <string>
#include <vector>

#include "common/job.h"
#include "mime_mail.h"
#include "preview/attachment_job.h"

namespace dbx {

class WizardWindow;

// Open and Save as for the attachments a decoded page lists. A click on one of the page's
// links is checked against the page shown, a program or script is opened only after a
// warning, Save as asks where; the message is read again and the attachment written on a job
// of its own, and the result (opening the copy, or a failure said) is applied on the
// user-interface thread.
class AttachmentController : public QObject {
    Q_OBJECT
  public:
    AttachmentController(WizardWindow& window, QObject* parent = nullptr);

    // The decoded page now in the pane, where its message lies and what it lists.
    void SetShownPage(const QUrl& page, const ShownMessage& message,
                      std::vector<MailAttachment> attachments);
    // A page without attachment links is shown.
    void ClearShownPage();

    // A click on `link` on the page at `page`; `folder` is the run's private folder ("" when
    // none could be made).
    void OnLink(const QUrl& page, const QUrl& link, const std::string& folder);

    bool Running() const { return job_.Running(); }
    void RequestStop() { job_.RequestStop(); }
    bool WaitForReturn(std::chrono::milliseconds bound) { return job_.WaitForReturn(bound); }

  signals:
    void Ended();

  private:
    // The file Save as writes to; "" when the user declined.
    std::string ChooseTarget(const QString& cleanName);
    void Start(AttachmentParams params, const QString& name);
    void Finish(const AttachmentResult& result);

    WizardWindow& window_;
    QUrl page_;
    ShownMessage message_;
    std::vector<MailAttachment> attachments_;
    QString runningName_;     // the name of the attachment the job writes
    std::string lastFolder_;  // where the last attachment was saved
    Job<AttachmentResult> job_;
};

}  // namespace dbx
