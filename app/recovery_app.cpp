#include "recovery_app.h"

#include <QLineEdit>

#include "recovery_dialog.h"

namespace dbx {

RecoveryApp::RecoveryApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("dbxrecover-gui"));
    setDesktopFileName(QStringLiteral("dbxrecover-gui"));
}

int RecoveryApp::Run(const QString& storePath) {
    RecoveryDialog dialog;
    if (!storePath.isEmpty()) {
        if (auto* path = dialog.ControlAs<QLineEdit>(kIdPath)) path->setText(storePath);
    }
    dialog.exec();
    return 0;
}

}  // namespace dbx
