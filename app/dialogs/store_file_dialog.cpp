#include "dialogs/store_file_dialog.h"

#include "ansi_codepage.h"
#include "common/app_texts.h"
#include "common/modal_run.h"

namespace dbx {

CStoreFileDialog::CStoreFileDialog(QWidget* parent) : QFileDialog(parent) {
    setWindowTitle(AnsiToQString(texts::kCaption));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    // Stores first: the usual choice. Images are searched for every store they hold.
    setNameFilters({QString::fromLatin1(texts::kStoreFilter),
                    QString::fromLatin1(texts::kImageFilter),
                    QString::fromLatin1(texts::kAnyFileFilter)});
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
