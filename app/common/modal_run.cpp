#include "common/modal_run.h"

#include <QDialog>

namespace dbx {

int RunModal(QDialog& dialog) {
    if (ModalTestSeam* seam = ModalTestSeam::Active()) return seam->Run(dialog);
    return dialog.exec();
}

int ModalTestSeam::Run(QDialog& dialog) {
    ++runs_;
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    const int result = driver_ ? driver_(dialog) : dialog.result();
    // A dialog the driver left open ends as if closed.
    if (dialog.isVisible()) dialog.reject();
    return result;
}

}  // namespace dbx
