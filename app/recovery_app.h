#pragma once

#include <QApplication>
#include <QString>

namespace dbx {

// The application object: runs the main window as a modal dialog, which is the program's
// main loop.
class RecoveryApp : public QApplication {
    Q_OBJECT
  public:
    RecoveryApp(int& argc, char** argv);

    // Runs the main window until it ends; `storePath`, when given, is put in its path field.
    int Run(const QString& storePath);
};

}  // namespace dbx
