#include "store_file_dialog.h"

#include <QDir>

#include "ansi_codepage.h"
#include "app_texts.h"
#include "modal_run.h"
#include "selection_text.h"

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
    m_strFiles.clear();
    m_strFolder.clear();
    m_bParsed = false;
    m_names.clear();
    return RunModal(*this) == QDialog::Accepted ? 1 : 2;
}

void CStoreFileDialog::OnSelectionChange(const QString& selectionText, const QString& folder) {
    m_strFiles = selectionText;
    m_strFolder = folder;
    m_bParsed = false;
}

int CStoreFileDialog::GetStartPosition() {
    if (m_strFiles.isEmpty()) {
        m_names = selectedFiles();
    } else if (!m_bParsed) {
        m_names.clear();
        for (const QString& name : SplitSelectionText(m_strFiles)) {
            // A name given with its folder stays as it is.
            m_names << (QDir::isAbsolutePath(name) ? name : QDir(m_strFolder).filePath(name));
        }
        m_bParsed = true;
    }
    return m_names.isEmpty() ? 0 : 1;
}

QString CStoreFileDialog::GetNextPathName(int& position) {
    if (position <= 0 || position > m_names.size()) {
        position = 0;
        return {};
    }
    const QString path = m_names[position - 1];
    position = position < m_names.size() ? position + 1 : 0;
    return path;
}

}  // namespace dbx
