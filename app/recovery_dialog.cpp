#include "recovery_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>

#include <filesystem>

#include "ansi_codepage.h"
#include "browser/browser_pane.h"
#include "commands/deep_search_menu.h"
#include "commands/message_filter.h"
#include "commands/window_commands.h"
#include "common/app_resources.h"
#include "common/app_texts.h"
#include "dialog_builder.h"
#include "dressing/dressed_controls.h"
#include "dressing/window_dressing.h"
#include "layout/window_layout.h"
#include "list/list_tools.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "output_path.h"
#include "static_text.h"
#include "templates.h"
#include "wizard/wizard_flow.h"

namespace dbx {
namespace {

// The results list and the preview pane are controls of this program's own.
QWidget* MakeMainControl(const ControlTemplate& control, QWidget* parent) {
    if (control.cls == ControlClass::ListView) return new ResultsView(parent);
    if (control.id == kIdPreview) return new BrowserPane(parent);
    return MakeDressedMainControl(control, parent);
}

// The template, once the resources its pictures come from are registered.
const DialogTemplate& RegisteredMainTemplate() {
    RegisterAppResources();
    return MainDialogTemplate();
}

}  // namespace

RecoveryDialog::RecoveryDialog(QWidget* parent)
    : TemplateDialog(RegisteredMainTemplate(), QImage(), parent, MakeMainControl) {
    BuildWindow();
    OnInitDialog();
}

RecoveryDialog::~RecoveryDialog() {
    // The flow asks each job to stop and waits for it; no job waits for this thread.
    delete m_flow;
    m_flow = nullptr;
    qApp->removeEventFilter(m_filter);
}

void RecoveryDialog::BuildWindow() {
    m_menuBar =
        BuildMenuBar(MainMenuTemplate(), this, [this](int command) { RunCommand(command); });
    AddDeepSearchItem(m_menuBar, m_session);
    SetMenuBar(m_menuBar);
    m_layout = new WindowLayout(*this);

    m_results = new ResultsModel(this);
    m_shown = new ResultsFilter(m_results, this);
    ResultsList()->setModel(m_shown);
    // The pane lies below everything and the step-1 picture over it, so that step 1 shows the
    // picture where step 2 shows the preview.
    Control(kIdPicture)->lower();
    Control(kIdPreview)->lower();

    m_flow = new WizardFlow(*this, this);
    connect(m_flow, &WizardFlow::StepShown, m_layout,
            [this](int step) { m_layout->ShowStep(step); });
    connect(m_results, &ResultsModel::StoreNamesChanged, m_layout,
            [this](int count) { m_layout->ShowFolders(count >= 2); });
    m_commands = new WindowCommands(*this, *m_flow);
    m_dressing = new WindowDressing(*this, m_menuBar);
    AddRoutes();
    m_listTools = new ListTools(*this, *m_flow, m_menuBar);
    connect(ResultsList(), &ResultsView::Clicked, m_flow,
            [this](QPoint point) { m_flow->OnListClick(point); });
    connect(ResultsList(), &ResultsView::DoubleClicked, m_flow,
            [this](QPoint point) { m_flow->OnListClick(point); });

    m_filter = new MessageFilter(
        this, Pane(), [this] { RunCommand(kCmdHelp); }, [this] { m_commands->ShowSystemMenu(); });
    qApp->installEventFilter(m_filter);
}

void RecoveryDialog::AddRoutes() {
    WizardFlow* flow = m_flow;
    WindowCommands* commands = m_commands;
    m_router.Add({kIdNext, kIdHiddenNext, kCmdNext}, [flow] { flow->OnNext(); });
    m_router.Add({kIdBack}, [flow] { flow->OnBack(); });
    m_router.Add({kIdStop}, [flow] { flow->OnStop(); });
    m_router.Add({kIdSelectAll}, [flow] { flow->OnSelectAll(); });
    m_router.Add({kIdUnselectAll}, [flow] { flow->OnUnselectAll(); });
    m_router.Add({kIdSave}, [flow] { flow->OnSave(); });
    m_router.Add({kIdBrowse, kIdHiddenBrowse, kCmdBrowse}, [commands] { commands->OnBrowse(); });
    m_router.Add({kIdSettings, kCmdSettings}, [commands] { commands->OnSettings(); });
    m_router.Add({kIdLiveUpdate, kCmdLiveUpdate}, [commands] { commands->OnLiveUpdate(); });
    m_router.Add({kCmdHelp}, [commands] { commands->OnHelp(); });
    m_router.Add({kCmdAbout}, [commands] { commands->OnAbout(); });
    m_router.Add({kIdHomePage, kCmdHomePage}, [commands] { commands->OnHomePage(); });
    m_router.Add({kCmdExitHidden, kCmdExit}, [commands] { commands->OnExit(); });

    for (const auto& [id, widget] : Controls()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && Routes(id)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = id] { RunCommand(id); });
        }
    }
}

void RecoveryDialog::OnInitDialog() {
    QMenu* systemMenu = m_commands->BuildSystemMenu();
    m_dressing->DressMenus(systemMenu);  // dressing point A
    m_dressing->SetWindowIcon();
    m_dressing->DressToolbar();  // dressing point B
    m_flow->Begin();
    ResultsView* list = ResultsList();
    m_layout->SizeColumns(list);
    m_dressing->DressResults(m_results);
    m_dressing->DressWizardButtons();  // dressing point C
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_layout->CreateSplitter();  // dressing point D
    m_layout->ShowStep(1);
    m_layout->LayOutForSize();
    m_session.prefix = texts::kPrefix;
    std::error_code error;
    m_session.startDir = std::filesystem::current_path(error).string();
    m_dressing->AssignMenuIcons();  // dressing point E
    m_session.previewPage = JoinPath(m_session.startDir, texts::kStartPage);
    if (auto* path = ControlAs<QLineEdit>(kIdPath)) path->setFocus();
}

void RecoveryDialog::OnSysCommand(int id) {
    if ((id & ~0xF) == kSysCmdAbout) RunCommand(kCmdAbout);
}

int RecoveryDialog::Step() const {
    return m_flow->Step();
}

ResultsView* RecoveryDialog::ResultsList() const {
    return ControlAs<ResultsView>(kIdResults);
}

BrowserPane* RecoveryDialog::Pane() const {
    return ControlAs<BrowserPane>(kIdPreview);
}

void RecoveryDialog::SetControlVisible(int id, bool visible) {
    if (QWidget* control = Control(id)) control->setVisible(visible);
}

void RecoveryDialog::SetControlText(int id, const std::string& ansiText) {
    QWidget* control = Control(id);
    const QString text = AnsiToQString(ansiText);
    if (auto* label = qobject_cast<StaticText*>(control)) {
        label->SetWindowText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    }
}

void RecoveryDialog::SetProgress(int percent) {
    if (auto* bar = ControlAs<QProgressBar>(kIdProgress)) bar->setValue(percent);
}

void RecoveryDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape go to the focused control only: no default button, no closing.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->ignore();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void RecoveryDialog::reject() {
    // Neither Escape nor the template's hidden Cancel button ends the program.
}

void RecoveryDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    RunCommand(kCmdExitHidden);
}

}  // namespace dbx
