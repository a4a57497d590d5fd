#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace dbx {
namespace {

class DesktopShell : public Shell {
  public:
    bool Open(const QString& target) override {
        const QUrl url =
            QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
        if (!url.isValid()) return false;
        // The desktop's opener runs on its own: asking a desktop service directly can keep the
        // caller waiting for seconds, and Exit must not wait.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty()) {
            return QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)});
        }
        return QDesktopServices::openUrl(url);
    }
    bool Start(const QString& program, const QStringList& arguments,
               const QString& workingDirectory) override {
        return QProcess::startDetached(program, arguments, workingDirectory);
    }
    bool HasHelpViewer() override {
        for (const char* viewer : {"xchm", "kchmviewer", "chmsee", "okular"}) {
            if (!QStandardPaths::findExecutable(QString::fromLatin1(viewer)).isEmpty()) return true;
        }
        return false;
    }
};

std::unique_ptr<Shell>& Installed() {
    static std::unique_ptr<Shell> shell = std::make_unique<DesktopShell>();
    return shell;
}

}  // namespace

Shell& Shell::Current() {
    return *Installed();
}

std::unique_ptr<Shell> Shell::Install(std::unique_ptr<Shell> shell) {
    std::unique_ptr<Shell> previous = std::move(Installed());
    Installed() = shell ? std::move(shell) : std::make_unique<DesktopShell>();
    return previous;
}

}  // namespace dbx
