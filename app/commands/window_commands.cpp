#include "commands/window_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QUrl>

#include <unistd.h>

#include <filesystem>

#include "ansi_codepage.h"
#include "common/app_message.h"
#include "common/app_texts.h"
#include "common/empty_folder.h"
#include "common/modal_run.h"
#include "common/process_end.h"
#include "dialogs/about_dialog.h"
#include "dialogs/prefix_dialog.h"
#include "dialogs/store_file_dialog.h"
#include "main_window_ids.h"
#include "output_path.h"
#include "preview/preview_controller.h"
#include "resource_registry.h"
#include "session/window_session.h"
#include "shell.h"
#include "templates.h"
#include "wizard/wizard_flow.h"
#include "wizard_window.h"

namespace dbx {
namespace {

// How long Exit waits for a running job to notice its stop; a disk too slow for that keeps
// the preview folder.
constexpr std::chrono::milliseconds kExitWait{200};

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool IsExecutableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

QString FromFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

WindowCommands::WindowCommands(WizardWindow& window, WizardFlow& flow)
    : QObject(window.Window()), m_window(window), m_flow(flow) {}

QMenu* WindowCommands::BuildSystemMenu() {
    // Window managers keep the title bar's menu to themselves, so the window has its own,
    // opened with Alt+Space.
    QWidget* dialog = m_window.Window();
    m_systemMenu = new QMenu(dialog);
    m_systemMenu->setObjectName(QStringLiteral("systemMenu"));
    QAction* close = m_systemMenu->addAction(QStringLiteral("&Close"));
    connect(close, &QAction::triggered, dialog, [dialog] { dialog->close(); });
    const std::string about =
        ResourceRegistry::Instance().String(kIdsAboutItem).value_or(std::string());
    if (!about.empty()) {
        m_systemMenu->addSeparator();
        QAction* item = m_systemMenu->addAction(AnsiToQString(about));
        item->setProperty("commandId", int(kSysCmdAbout));
        connect(item, &QAction::triggered, this, [this] { OnAbout(); });
    }
    return m_systemMenu;
}

void WindowCommands::ShowSystemMenu() {
    m_systemMenu->popup(m_window.Window()->mapToGlobal(QPoint(0, 0)));
}

void WindowCommands::OnSettings() {
    PrefixDialog dialog(m_window.Session().prefix);
    if (RunModal(dialog) == QDialog::Accepted) m_window.Session().prefix = dialog.Prefix();
}

QString WindowCommands::BrowseStartFolder() const {
    // The folder of the path already typed, else the last folder chosen from, else home.
    auto* field = qobject_cast<QLineEdit*>(m_window.Control(kIdPath));
    const QString typed = field ? field->text().trimmed() : QString();
    if (!typed.isEmpty()) {
        const QFileInfo info(typed);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
    }
    const QString last = FromFileName(m_window.Session().browseDir);
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QDir::homePath();
}

void WindowCommands::OnBrowse() {
    if (m_flow.Step() > 1) return;
    CStoreFileDialog dialog(m_window.Window());
    dialog.setDirectory(BrowseStartFolder());
    if (dialog.DoModal() != 1) return;
    const QString path = dialog.ChosenPath();
    if (!path.isEmpty()) {
        m_window.Session().browseDir =
            QFile::encodeName(QFileInfo(path).absolutePath()).toStdString();
    }
    if (auto* field = qobject_cast<QLineEdit*>(m_window.Control(kIdPath))) field->setText(path);
}

void WindowCommands::OnHelp() {
    const std::string path = JoinPath(m_window.Session().startDir, texts::kHelpFile);
    if (!Exists(path)) {
        Notify(texts::kHelpMissing);
        return;
    }
    // F1 must never do nothing visible.
    if (!Shell::Current().HasHelpViewer() || !Shell::Current().Open(FromFileName(path))) {
        Notify(texts::kHelpViewerMissing);
    }
}

void WindowCommands::OnAbout() {
    AboutDialog about;
    RunModal(about);
}

void WindowCommands::OnHomePage() {
    const std::string page = JoinPath(m_window.Session().startDir, texts::kHomePage);
    Shell::Current().Open(QUrl::fromLocalFile(FromFileName(page)).toString());
}

void WindowCommands::OnLiveUpdate() {
    const std::string path = JoinPath(m_window.Session().startDir, texts::kUpdater);
    if (!Exists(path)) {
        Notify(texts::kUpdaterMissing);
        return;
    }
    if (Ask(texts::kUpdateQuestion) == kIdNo) return;
    const QString program = FromFileName(path);
    if (IsExecutableFile(path)) {
        Shell::Current().Start(program, {QString::fromLatin1(texts::kUpdaterArgument)});
    } else {
        // Not a program of this system: the desktop decides what opens it.
        Shell::Current().Open(program);
    }
    CleanUpBeforeEnd(!m_flow.Busy());
    EndProcess(0);
}

void WindowCommands::OnExit() {
    QWidget* window = m_window.Window();
    if (window->isMinimized()) window->showNormal();
    window->show();
    if (Ask(texts::kExitQuestion) != kIdYes) return;
    m_flow.StopJobs();
    OnHomePage();
    // A job that has not noticed its stop within the wait ends with the process.
    CleanUpBeforeEnd(m_flow.WaitForJobsToReturn(kExitWait));
    EndProcess(0);
}

void WindowCommands::CleanUpBeforeEnd(bool jobsOver) {
    // Recovered mail must not outlive the program in the temporary folder. Only this run's
    // own folder is removed: another running copy has a folder of its own. A job that may
    // still write into it leaves it to the program's next start.
    if (jobsOver) RemoveFolder(m_flow.Preview().Folder());
}

}  // namespace dbx
