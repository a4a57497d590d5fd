#include "dialogs/store_file_dialog.h"

#include "ansi_codepage.h"
#include "common/app_texts.h"
#include "common/modal_run.h"

namespace dbx {

CStoreFileDialog::CStoreFileDialog(QWidget* parent) : QFileDialog(parent) {
    setWindowTitle(AnsiToQString(texts::kCaption));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilter(QString::fromLatin1(texts::kStoreFilter));
    // A chosen link is returned as the link itself.
    setOption(QFileDialog::DontResolveSymlinks, true);
}

int CStoreFileDialog::DoModal() {
    return RunModal(*this) == QDialog::Accepted ? 1 : 2;
}

QString CStoreFileDialog::ChosenPath() const {
    const QStringList names = selectedFiles();
    return names.isEmpty() ? QString() : names.last();
}

}  // namespace dbx
