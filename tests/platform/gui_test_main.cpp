#include <gtest/gtest.h>

#include <QStandardPaths>
#ifdef DBXR_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <cstdio>

#include "private_home.h"

// Fonts and palettes need a GUI application; the tests draw into images only (or, built with
// DBXR_TEST_WIDGETS, show widgets), so the offscreen platform is forced whatever the
// environment says. Settings and files stay in a home of the program's own.
int main(int argc, char** argv) {
    dbx::test::PrivateHome home;
    if (!home.Ok()) {
        std::fputs("cannot make a private home folder for the tests\n", stderr);
        return 1;
    }
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
