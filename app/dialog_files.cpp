// Settings (the file-name prefix) and Browse (the store to search).
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

void RecoveryDialog::OnBrowse() {
    if (m_nStep > 1) return;
    CStoreFileDialog dialog(this);
    if (dialog.DoModal() != 1) return;
    QString path;
    // Should several names come back, the last one wins.
    for (int position = dialog.GetStartPosition(); position != 0;) {
        path = dialog.GetNextPathName(position);
    }
    ControlAs<QLineEdit>(kIdPath)->setText(path);
}

}  // namespace dbx
