// The results list's tools: the find bar (Ctrl+F), sorting by a column's header, the code page
// the store's texts are read in, the choice between the decoded preview and the message's
// source (Ctrl+U), the keyboard's previews, and what a finished search found.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "code_pages.h"
#include "find_bar.h"
#include "globals.h"
#include "preview_controller.h"
#include "recovery_dialog.h"
#include "results_filter.h"
#include "results_model.h"
#include "results_view.h"
#include "save_controller.h"
#include "scan_controller.h"

namespace dbx {
namespace {

// The menu bar's Tools menu, where the list's tools join the template's items.
QMenu* ToolsMenu(QMenuBar* bar) {
    for (QAction* action : bar->actions()) {
        if (action->menu() && action->text().remove(QLatin1Char('&')) == QLatin1String("Tools")) {
            return action->menu();
        }
    }
    return bar->addMenu(QStringLiteral("&Tools"));
}

}  // namespace

void RecoveryDialog::BuildListTools() {
    m_strTitle = windowTitle();
    ResultsView* list = ResultsList();

    m_findBar = new FindBar(list->parentWidget());
    connect(m_findBar, &FindBar::TextChanged, this, [this](const QString& text) {
        m_shown->SetFindText(text);
        ShowFindCounts();
    });
    connect(m_findBar, &FindBar::ToList, this, [this](bool preview) {
        ResultsView* list = ResultsList();
        if (m_shown->rowCount() == 0) return;
        list->setFocus(Qt::ShortcutFocusReason);
        if (!list->currentIndex().isValid()) {
            list->selectionModel()->setCurrentIndex(
                m_shown->index(0, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        // Enter shows it at once; Down as a move in the list does, after the list's pause.
        if (preview) {
            OnKeyboardPreview(list->currentIndex().row());
        } else {
            list->SchedulePreview();
        }
    });
    connect(m_shown, &QAbstractItemModel::rowsInserted, this, [this] { ShowFindCounts(); });
    connect(m_shown, &QAbstractItemModel::modelReset, this, [this] { ShowFindCounts(); });

    QMenu* tools = ToolsMenu(m_menuBar);
    QAction* first = tools->actions().value(0);
    auto insert = [tools, first](QAction* action) { tools->insertAction(first, action); };

    auto* find = new QAction(QStringLiteral("&Find..."), this);
    find->setObjectName(QStringLiteral("findAction"));
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] { OnFind(); });
    insert(find);

    m_sourceAction = new QAction(QStringLiteral("Message &source"), this);
    m_sourceAction->setObjectName(QStringLiteral("messageSourceAction"));
    m_sourceAction->setCheckable(true);
    m_sourceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    m_sourceAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_sourceAction, &QAction::toggled, this, [this](bool on) { OnMessageSource(on); });
    insert(m_sourceAction);

    auto* pages = new QMenu(QStringLiteral("&Code page"), tools);
    pages->setObjectName(QStringLiteral("codePageMenu"));
    m_codePages = new QActionGroup(this);
    m_codePages->setExclusive(true);
    const QByteArray remembered = RememberedCodePage();
    for (const CodePage& page : OfferedCodePages()) {
        QAction* item = pages->addAction(page.label);
        item->setCheckable(true);
        item->setData(page.name);
        item->setChecked(page.name == remembered);
        m_codePages->addAction(item);
        connect(item, &QAction::triggered, this, [this, name = page.name] { OnCodePage(name); });
    }
    tools->insertMenu(first, pages);
    tools->insertSeparator(first);
    m_results->SetCodePage(remembered);
    m_preview->SetCodePage(remembered);

    connect(list, &ResultsView::SortRequested, this,
            [this](int column) { OnSortRequested(column); });
    connect(list, &ResultsView::PreviewRequested, this,
            [this](int row) { OnKeyboardPreview(row); });
    connect(m_scan, &ScanController::Ended, this, [this] { ShowSearchSummary(); });
}

void RecoveryDialog::OnFind() {
    if (m_nStep != 2) return;
    if (!m_findBar->isVisible()) {
        // The bar takes the bottom of the list's place; the list gives up that much height.
        ResultsView* list = ResultsList();
        const QRect area = list->geometry();
        const int height = m_findBar->sizeHint().height();
        list->setGeometry(area.adjusted(0, 0, 0, -height));
        m_findBar->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
        connect(
            m_findBar, &FindBar::Closed, this,
            [this, area] {
                ResultsList()->setGeometry(area);
                ResultsList()->setFocus();
            },
            Qt::SingleShotConnection);
    }
    m_findBar->Open();
    ShowFindCounts();
}

void RecoveryDialog::ShowFindCounts() {
    if (m_findBar) m_findBar->SetCounts(m_shown->rowCount(), m_results->rowCount());
}

void RecoveryDialog::OnSortRequested(int column) {
    // Rows still come while a search runs: the order the search finds them in stays until
    // it is over.
    if (g_bSearchRunning) {
        QApplication::beep();
        return;
    }
    ResultsList()->SortBy(column);
}

void RecoveryDialog::OnCodePage(const QByteArray& codePage) {
    RememberCodePage(codePage);
    m_results->SetCodePage(codePage);
    m_preview->SetCodePage(codePage);
}

void RecoveryDialog::OnMessageSource(bool source) {
    m_preview->SetMode(source ? PreviewMode::Source : PreviewMode::Decoded);
    // The highlighted message (else the one on show) is shown again the other way.
    const QModelIndex current = ResultsList()->currentIndex();
    const int row =
        current.isValid() ? current.row() : m_shown->ShownRow(m_preview->ShownSourceRow());
    if (m_nStep == 2 && row >= 0 && !JobRunning()) m_preview->OnRowChosen(row);
}

void RecoveryDialog::OnKeyboardPreview(int shownRow) {
    if (m_nStep != 2 || m_scan->Running() || m_save->Running()) return;
    m_preview->OnRowChosen(shownRow);
}

void RecoveryDialog::ShowSearchSummary() {
    int deleted = 0;
    for (int row = 0; row < m_results->rowCount(); ++row) deleted += m_results->Deleted(row);
    const int found = m_results->rowCount();
    QString summary;
    if (found == 0) {
        summary = g_bStopSearch ? QStringLiteral("Search stopped: no messages found")
                                : QStringLiteral("No messages found");
    } else {
        summary = QStringLiteral("%1 %2 found, %3 deleted")
                      .arg(found)
                      .arg(found == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
                      .arg(deleted);
        if (g_bStopSearch) summary = QStringLiteral("Search stopped: ") + summary;
    }
    setWindowTitle(m_strTitle + QStringLiteral(" - ") + summary);
}

}  // namespace dbx
