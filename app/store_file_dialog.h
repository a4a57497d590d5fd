#pragma once

#include <QFileDialog>
#include <QStringList>

namespace dbx {

// The file-open dialog of Browse: one Outlook Express store, links returned as they are.
// A thin wrapper over the toolkit's dialog that hands out the chosen paths in the framework's
// manner (a start position, then the next path name until the position is 0).
class CStoreFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    explicit CStoreFileDialog(QWidget* parent = nullptr);

    // Runs the dialog modally: 1 for OK, 2 for Cancel.
    int DoModal();
    // 0 when nothing was chosen.
    int GetStartPosition();
    // The path at `position`; moves `position` on, to 0 after the last one.
    QString GetNextPathName(int& position);

    // A selection that reaches the dialog as one text, its names quoted and separated by
    // blanks (or one bare name), all in `folder`. It takes the place of the toolkit's own
    // selection until the next run.
    void OnSelectionChange(const QString& selectionText, const QString& folder);

  private:
    bool m_bParsed = false;
    QString m_strFiles;
    QString m_strFolder;
    QStringList m_names;
};

}  // namespace dbx
