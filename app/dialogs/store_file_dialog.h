#pragma once

#include <QFileDialog>

namespace dbx {

// The file-open dialog of Browse: one Outlook Express store or a disk image, links returned as
// they are.
class CStoreFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    explicit CStoreFileDialog(QWidget* parent = nullptr);

    // Runs the dialog modally: 1 for OK, 2 for Cancel.
    int DoModal();
    // The chosen store; should several names come back, the last one. "" for none.
    QString ChosenPath() const;
};

}  // namespace dbx
