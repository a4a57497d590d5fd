// dbxrecover-gui [STORE]: the desktop program; a given store is put in the path field.
#include <QStringList>

#include "browser/browser_pane.h"
#include "recovery_app.h"

int main(int argc, char** argv) {
    dbx::BrowserPane::PrepareEngine();
    dbx::RecoveryApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    return app.Run(arguments.isEmpty() ? QString() : arguments.first());
}
