#include "save/saving_dialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QProgressBar>

#include "static_text.h"
#include "templates.h"

namespace dbx {

SavingDialog::SavingDialog(QWidget* parent) : TemplateDialog(SavingDialogTemplate(), {}, parent) {
    // Long texts are cut at the right edge rather than wrapped out of their line.
    for (int id : {kIdFrom, kIdTo, kIdSubject}) {
        if (auto* label = ControlAs<StaticText>(id)) {
            label->setWordWrap(false);
            label->setTextInteractionFlags(Qt::NoTextInteraction);
        }
    }
}

void SavingDialog::Begin(int total) {
    m_bCancel = false;
    ShowMessage({}, {}, {});
    auto* bar = ControlAs<QProgressBar>(kIdProgress);
    bar->setRange(0, total > 0 ? total : 1);
    bar->setValue(0);
    Control(kIdOk)->hide();
    Control(kIdCancel)->show();
    Control(kIdCancel)->setEnabled(true);
}

void SavingDialog::ShowMessage(const QString& from, const QString& to, const QString& subject) {
    ControlAs<StaticText>(kIdFrom)->SetWindowText(from);
    ControlAs<StaticText>(kIdTo)->SetWindowText(to);
    ControlAs<StaticText>(kIdSubject)->SetWindowText(subject);
}

void SavingDialog::SetDone(int done) {
    ControlAs<QProgressBar>(kIdProgress)->setValue(done);
}

void SavingDialog::OnCancel() {
    if (m_bCancel) return;
    m_bCancel = true;
    // Taken: the button cannot be pressed twice, the save ends after the current message.
    Control(kIdCancel)->setEnabled(false);
    emit Cancelled();
}

void SavingDialog::reject() {
    OnCancel();
}

void SavingDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

}  // namespace dbx
