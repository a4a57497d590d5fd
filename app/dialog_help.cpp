// Help, About, the home page and Live Update.
#include <QFile>
#include <QUrl>

#include <unistd.h>

#include <filesystem>

#include "about_dialog.h"
#include "app_message.h"
#include "app_texts.h"
#include "modal_run.h"
#include "output_path.h"
#include "process_end.h"
#include "recovery_dialog.h"
#include "shell.h"

namespace dbx {
namespace {

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

void RecoveryDialog::OnHelp() {
    const std::string path = JoinPath(m_strStartDir, texts::kHelpFile);
    if (!Exists(path)) {
        Notify(texts::kHelpMissing);
        return;
    }
    Shell::Current().Open(FromFileName(path));
}

void RecoveryDialog::OnAbout() {
    AboutDialog about;
    RunModal(about);
}

void RecoveryDialog::OnHomePage() {
    const std::string page = JoinPath(m_strStartDir, texts::kHomePage);
    Shell::Current().Open(QUrl::fromLocalFile(FromFileName(page)).toString());
}

void RecoveryDialog::OnLiveUpdate() {
    const std::string path = JoinPath(m_strStartDir, texts::kUpdater);
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
    CleanUpBeforeEnd();
    EndProcess(0);
}

}  // namespace dbx
