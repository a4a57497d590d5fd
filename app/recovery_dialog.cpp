#include "recovery_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>

#include <filesystem>

#include "ansi_codepage.h"
#include "app_resources.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "deep_search_menu.h"
#include "dialog_builder.h"
#include "dialog_units.h"
#include "dressed_controls.h"
#include "globals.h"
#include "locale_dates.h"
#include "message_filter.h"
#include "output_path.h"
#include "preview_controller.h"
#include "resource_registry.h"
#include "results_filter.h"
#include "results_model.h"
#include "results_view.h"
#include "save_controller.h"
#include "saving_dialog.h"
#include "scan_controller.h"
#include "static_text.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr int kColumnWidth = 170;

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
    m_hIcon = ResourceRegistry::Instance().Icon(kIdrMainIcon);
    // Painted by the window's dressing.
    m_hBackground = ResourceRegistry::Instance().Image(kIdrBackground);
    BuildWindow();
    OnInitDialog();
}

RecoveryDialog::~RecoveryDialog() {
    // Each workflow asks its job to stop and waits for it; no job waits for this thread.
    delete m_save;
    delete m_preview;
    delete m_scan;
    m_save = nullptr;
    m_preview = nullptr;
    m_scan = nullptr;
    qApp->removeEventFilter(m_filter);
    if (g_pMainDialog == this) g_pMainDialog = nullptr;
}

void RecoveryDialog::BuildWindow() {
    m_menuBar =
        BuildMenuBar(MainMenuTemplate(), this, [this](int command) { RunCommand(command); });
    AddDeepSearchItem(m_menuBar);
    SetMenuBar(m_menuBar);
    MakeResizable();

    m_results = new ResultsModel(this);
    m_shown = new ResultsFilter(m_results, this);
    ResultsList()->setModel(m_shown);
    // The pane lies below everything and the step-1 picture over it, so that step 1 shows the
    // picture where step 2 shows the preview.
    Control(kIdPicture)->lower();
    Control(kIdPreview)->lower();

    m_scan = new ScanController(*this, LocaleDateFormatter(), this);
    m_preview = new PreviewController(*this, this);
    m_save = new SaveController(*this, this);
    connect(m_scan, &ScanController::Ended, this, [this] { OnJobEnded(); });
    connect(m_preview, &PreviewController::Ended, this, [this] { OnJobEnded(); });
    connect(m_save, &SaveController::Ended, this, [this] { OnJobEnded(); });

    AddRoutes();
    BuildListTools();
    connect(ResultsList(), &ResultsView::Clicked, this,
            [this](QPoint point) { OnMessageListClick(point); });
    connect(ResultsList(), &ResultsView::DoubleClicked, this,
            [this](QPoint point) { OnMessageListClick(point); });

    m_filter = new MessageFilter(this);
    qApp->installEventFilter(m_filter);
}

void RecoveryDialog::OnInitDialog() {
    g_bJobBusy = 0;
    BuildSystemMenu();
    DressMenus();  // dressing point A
    g_pMainDialog = this;
    setWindowIcon(m_hIcon);
    DressToolbar();  // dressing point B
    m_nStep = 1;

    ResultsView* list = ResultsList();
    QHeaderView* header = list->horizontalHeader();
    for (int column = 0; column < ResultsModel::kLocation; ++column) {
        header->resizeSection(column, kColumnWidth);
    }
    // Present but not visible: it holds each message's offset for the preview and Save.
    header->resizeSection(ResultsModel::kLocation, 0);
    SizeDateColumn();

    m_imgListIcons.clear();
    for (int id : {kIdrListIconMessage, kIdrListIconDeleted}) {
        const QImage large = ResourceRegistry::Instance().Image(id, QSize(48, 48));
        m_imgListIcons.push_back(
            large.isNull() ? QIcon()
                           : QIcon(QPixmap::fromImage(large.scaled(16, 16, Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation))));
    }
    m_results->SetRowIcon(m_imgListIcons.front());
    DressWizardButtons();  // dressing point C
    g_bStopSearch = 0;
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    CreateSplitter();  // dressing point D
    LayOutForSize();
    Instruction()->SetWindowText(AnsiToQString(texts::kStepOne));
    m_strPrefix = texts::kPrefix;
    std::error_code error;
    m_strStartDir = std::filesystem::current_path(error).string();
    AssignMenuIcons();  // dressing point E
    g_strPreviewPage = JoinPath(m_strStartDir, texts::kStartPage);
    if (auto* path = ControlAs<QLineEdit>(kIdPath)) path->setFocus();
}

ResultsView* RecoveryDialog::ResultsList() const {
    return ControlAs<ResultsView>(kIdResults);
}

BrowserPane* RecoveryDialog::Pane() const {
    return ControlAs<BrowserPane>(kIdPreview);
}

StaticText* RecoveryDialog::Instruction() const {
    return ControlAs<StaticText>(kIdInstruction);
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

bool RecoveryDialog::JobRunning() const {
    return m_scan->Running() || m_preview->Running() || m_save->Running();
}

SavingDialog* RecoveryDialog::Saving() const {
    return m_save->Saving();
}

void RecoveryDialog::OnMessageListClick(const QPoint& viewportPoint) {
    m_preview->OnListClick(viewportPoint);
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
