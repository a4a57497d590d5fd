#pragma once

#include <QString>

#include "common/template_dialog.h"

namespace dbx {

// "Saving Mails..." (template 154): the sender, recipient and subject of the message being
// saved and the progress over all of them. While a save runs, Cancel stands in the place of
// OK; Cancel, Escape and the close box only ask the save to stop after the current message.
// The dialog is closed by whoever runs the save.
class SavingDialog : public TemplateDialog {
    Q_OBJECT
  public:
    enum ControlId : int {
        kIdFrom = 1017,
        kIdTo = 1029,
        kIdSubject = 1030,
        kIdProgress = 1014,
        kIdOk = 1,
        kIdCancel = 2,
    };

    explicit SavingDialog(QWidget* parent = nullptr);

    // Starts a save of `total` messages: nothing shown yet, Cancel offered.
    void Begin(int total);
    void ShowMessage(const QString& from, const QString& to, const QString& subject);
    void SetDone(int done);

  signals:
    void Cancelled();

  protected:
    void OnOK() override {}
    void OnCancel() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool m_bCancel = false;
};

}  // namespace dbx
