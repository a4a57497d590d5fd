#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include <filesystem>

#include "browser/browser_pane.h"

// The GUI tests drive the real main window offscreen. Each test program gets a temporary
// folder of its own (previews and extracted messages go there), so that programs running side
// by side never share files.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char folder[] = "/tmp/dbxr-apptest-XXXXXX";
    if (!::mkdtemp(folder)) return 1;
    ::setenv("TMPDIR", folder, 1);
    dbx::BrowserPane::PrepareEngine();
    testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return result;
}
