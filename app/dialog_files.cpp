// Settings (the file-name prefix) and Browse (the store to search).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "modal_run.h"
#include "prefix_dialog.h"
#include "recovery_dialog.h"
#include "store_file_dialog.h"

namespace dbx {

void RecoveryDialog::OnSettings() {
    PrefixDialog dialog(m_strPrefix);
    if (RunModal(dialog) == QDialog::Accepted) m_strPrefix = dialog.Prefix();
}

QString RecoveryDialog::BrowseStartFolder() const {
    // The folder of the path already typed, else the last folder chosen from, else home.
    const QString typed = ControlAs<QLineEdit>(kIdPath)->text().trimmed();
    if (!typed.isEmpty()) {
        const QFileInfo info(typed);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
    }
    const QString last = QFile::decodeName(QByteArray::fromStdString(m_strBrowseDir));
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QDir::homePath();
}

void RecoveryDialog::OnBrowse() {
    if (m_nStep > 1) return;
    CStoreFileDialog dialog(this);
    dialog.setDirectory(BrowseStartFolder());
    if (dialog.DoModal() != 1) return;
    QString path;
    // Should several names come back, the last one wins.
    for (int position = dialog.GetStartPosition(); position != 0;) {
        path = dialog.GetNextPathName(position);
    }
    if (!path.isEmpty())
        m_strBrowseDir = QFile::encodeName(QFileInfo(path).absolutePath()).toStdString();
    ControlAs<QLineEdit>(kIdPath)->setText(path);
}

}  // namespace dbx
