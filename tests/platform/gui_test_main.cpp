#include <gtest/gtest.h>
#ifdef DBXR_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

// Fonts and palettes need a GUI application; the tests draw into images only (or, built with
// DBXR_TEST_WIDGETS, show widgets), so the offscreen platform is forced whatever the
// environment says.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
