// dbxrecover-gui [STORE]: the desktop program; a given store is put in the path field.
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "browser/browser_pane.h"
#include "recovery_app.h"

namespace {

constexpr char kUsage[] =
    "Finds and recovers the messages of damaged Outlook Express .dbx mail stores, in a window.\n"
    "Usage: dbxrecover-gui [OPTIONS] [STORE]\n"
    "\n"
    "Positionals:\n"
    "  STORE        The .dbx file to put in the path field (opened read-only)\n"
    "\n"
    "Options:\n"
    "  -h,--help    Print this help message and exit\n"
    "  --version    Display program version information and exit\n";

// Prints `text`; a failed write (a closed or full output) is said and fails the program.
int Print(const char* text) {
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fputs("dbxrecover-gui: cannot write to standard output\n", stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before the window system is touched, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0)
            return Print("dbxrecover-gui " DBXR_VERSION "\n");
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Print(kUsage);
    }
    dbx::BrowserPane::PrepareEngine();
    dbx::RecoveryApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    return app.Run(arguments.isEmpty() ? QString() : arguments.first());
}
