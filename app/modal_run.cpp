#include "modal_run.h"

#include <QDialog>

namespace dbx {
namespace {

ModalTestSeam* g_activeModalSeam = nullptr;

}  // namespace

int RunModal(QDialog& dialog) {
    if (ModalTestSeam* seam = ModalTestSeam::Active()) return seam->Run(dialog);
    return dialog.exec();
}

ModalTestSeam::ModalTestSeam(Driver driver)
    : driver_(std::move(driver)), previous_(g_activeModalSeam) {
    g_activeModalSeam = this;
}

ModalTestSeam::~ModalTestSeam() {
    g_activeModalSeam = previous_;
}

ModalTestSeam* ModalTestSeam::Active() {
    return g_activeModalSeam;
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
