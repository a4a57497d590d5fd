#include "list/list_tools.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "list/code_pages.h"
#include "list/find_bar.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "preview/preview_controller.h"
#include "scan/nothing_found_note.h"
#include "scan/scan_controller.h"
#include "session/window_session.h"
#include "wizard/wizard_flow.h"
#include "wizard_window.h"

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

ListTools::ListTools(WizardWindow& window, WizardFlow& flow, QMenuBar* menuBar)
    : QObject(window.Window()), m_window(window), m_flow(flow) {
    m_strTitle = window.Window()->windowTitle();
    ResultsView* list = window.ResultsList();
    ResultsFilter* shown = window.Shown();

    m_findBar = new FindBar(list->parentWidget());
    connect(m_findBar, &FindBar::TextChanged, this, [this](const QString& text) {
        m_window.Shown()->SetFindText(text);
        ShowFindCounts();
    });
    connect(m_findBar, &FindBar::ToList, this, [this](bool preview) { OnFindBarToList(preview); });
    connect(m_findBar, &FindBar::Closed, this, [this] { m_window.ResultsList()->setFocus(); });
    connect(shown, &QAbstractItemModel::rowsInserted, this, [this] { ShowFindCounts(); });
    connect(shown, &QAbstractItemModel::modelReset, this, [this] { ShowFindCounts(); });

    BuildMenuItems(menuBar);

    m_nothingFound = new NothingFoundNote(list);
    connect(m_nothingFound, &NothingFoundNote::DeepSearchAsked, this,
            [this] { OnDeepSearchAsked(); });

    connect(list, &ResultsView::SortRequested, this,
            [this](int column) { OnSortRequested(column); });
    connect(list, &ResultsView::PreviewRequested, this,
            [this](int row) { m_flow.OnRowChosen(row); });
    connect(&flow.Scan(), &ScanController::Ended, this, [this] { ShowSearchSummary(); });
    connect(&flow, &WizardFlow::StepShown, this, [this](int step) { OnStepShown(step); });
}

void ListTools::BuildMenuItems(QMenuBar* menuBar) {
    QMenu* tools = ToolsMenu(menuBar);
    QAction* first = tools->actions().value(0);
    auto insert = [tools, first](QAction* action) { tools->insertAction(first, action); };

    auto* find = new QAction(QStringLiteral("&Find..."), this);
    find->setObjectName(QStringLiteral("findAction"));
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] { OnFind(); });
    insert(find);

    auto* source = new QAction(QStringLiteral("Message &source"), this);
    source->setObjectName(QStringLiteral("messageSourceAction"));
    source->setCheckable(true);
    source->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    source->setShortcutContext(Qt::WindowShortcut);
    connect(source, &QAction::toggled, this, [this](bool on) { OnMessageSource(on); });
    insert(source);

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
    m_window.Results()->SetCodePage(remembered);
    m_flow.Preview().SetCodePage(remembered);
}

void ListTools::OnFindBarToList(bool preview) {
    ResultsView* list = m_window.ResultsList();
    ResultsFilter* shown = m_window.Shown();
    if (shown->rowCount() == 0) return;
    list->setFocus(Qt::ShortcutFocusReason);
    if (!list->currentIndex().isValid()) {
        list->selectionModel()->setCurrentIndex(
            shown->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // Enter shows it at once; Down as a move in the list does, after the list's pause.
    if (preview) {
        m_flow.OnRowChosen(list->currentIndex().row());
    } else {
        list->SchedulePreview();
    }
}

void ListTools::OnFind() {
    if (m_flow.Step() != 2) return;
    // The window's layout gives the open bar the bottom of the list's place.
    m_findBar->Open();
    ShowFindCounts();
}

void ListTools::ShowFindCounts() {
    if (m_findBar)
        m_findBar->SetCounts(m_window.Shown()->rowCount(), m_window.Results()->rowCount());
}

void ListTools::OnSortRequested(int column) {
    // Rows still come while a search runs: the order the search finds them in stays until
    // it is over.
    if (m_flow.SearchRunning()) {
        QApplication::beep();
        return;
    }
    m_window.ResultsList()->SortBy(column);
}

void ListTools::OnCodePage(const QByteArray& codePage) {
    RememberCodePage(codePage);
    m_window.Results()->SetCodePage(codePage);
    m_flow.Preview().SetCodePage(codePage);
}

void ListTools::OnMessageSource(bool source) {
    PreviewController& preview = m_flow.Preview();
    preview.SetMode(source ? PreviewMode::Source : PreviewMode::Decoded);
    // The highlighted message (else the one on show) is shown again the other way.
    const QModelIndex current = m_window.ResultsList()->currentIndex();
    const int row =
        current.isValid() ? current.row() : m_window.Shown()->ShownRow(preview.ShownSourceRow());
    if (m_flow.Step() == 2 && row >= 0 && !m_flow.Busy()) preview.OnRowChosen(row);
}

void ListTools::OnDeepSearchAsked() {
    // Through the menu's item, so that the menu shows the choice the search runs with.
    if (auto* deep = m_window.Window()->findChild<QAction*>(QStringLiteral("deepSearch"))) {
        deep->setChecked(true);
    } else {
        m_window.Session().deepSearch = true;
    }
    m_window.Window()->setWindowTitle(m_strTitle);
    m_flow.SearchAgain();
}

void ListTools::OnStepShown(int step) {
    m_nothingFound->hide();
    if (step == 1) {
        m_findBar->Close();
    } else {
        m_window.Window()->setWindowTitle(m_strTitle);
    }
}

void ListTools::ShowSearchSummary() {
    const ResultsModel* results = m_window.Results();
    int deleted = 0;
    int orphaned = 0;
    for (int row = 0; row < results->rowCount(); ++row) {
        const bool orphan = results->Orphaned(row);
        orphaned += orphan;
        deleted += results->Deleted(row) && !orphan;
    }
    const int found = results->rowCount();
    const ScanController& scan = m_flow.Scan();
    const bool stopped = scan.StopRequested();
    QString summary;
    if (found == 0) {
        summary = stopped ? QStringLiteral("Search stopped: no messages found")
                          : QStringLiteral("No messages found");
        m_nothingFound->ShowFor(m_window.Session().sourceFile, scan.LastResult(),
                                scan.LastWasDeep());
    } else {
        m_nothingFound->hide();
        // As the rows' statuses read: every row is counted once.
        summary = QStringLiteral("%1 %2 found: %3 existing, %4 deleted")
                      .arg(found)
                      .arg(found == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
                      .arg(found - deleted - orphaned)
                      .arg(deleted);
        if (orphaned > 0 || scan.LastWasDeep()) {
            summary += QStringLiteral(", %1 orphaned").arg(orphaned);
        }
        if (stopped) summary = QStringLiteral("Search stopped: ") + summary;
    }
    m_window.Window()->setWindowTitle(m_strTitle + QStringLiteral(" - ") + summary);
}

}  // namespace dbx
