#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>

#include "browser/browser_pane.h"
#include "private_home.h"

// The GUI tests drive the real main window offscreen, one application object and one web
// engine for the whole program. It runs in a home of its own (settings, previews and
// extracted messages go there), so that programs running side by side never share files and
// no test sees the user's settings.
int main(int argc, char** argv) {
    dbx::test::PrivateHome home;
    if (!home.Ok()) {
        std::fputs("cannot make a private home folder for the tests\n", stderr);
        return 1;
    }
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    dbx::BrowserPane::PrepareEngine();
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
