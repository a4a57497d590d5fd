#include <gtest/gtest.h>
#include <QGuiApplication>

// Fonts and palettes need a GUI application; the tests draw into images only, so the offscreen
// platform is forced whatever the environment says.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
