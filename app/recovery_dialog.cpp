#include "recovery_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

#include "ansi_codepage.h"
#include "app_resources.h"
#include "app_texts.h"
#include "browser_pane.h"
#include "dialog_builder.h"
#include "dialog_units.h"
#include "globals.h"
#include "job_thread.h"
#include "locale_dates.h"
#include "message_filter.h"
#include "output_path.h"
#include "resource_registry.h"
#include "results_model.h"
#include "results_view.h"
#include "saving_dialog.h"
#include "static_text.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr int kColumnWidth = 170;
// How often the window takes what a running scan reported: often enough to look live, rare
// enough to leave the processor to the scan.
constexpr int kFeedIntervalMs = 40;

std::string ChooseFolderWithDialog(QWidget* parent, const std::string& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent, AnsiToQString(texts::kChooseSaveFolder),
        QFile::decodeName(QByteArray::fromStdString(startFolder)));
    return QFile::encodeName(folder).toStdString();
}

}  // namespace

RecoveryDialog::RecoveryDialog(QWidget* parent) : QDialog(parent) {
    RegisterAppResources();
    m_hIcon = ResourceRegistry::Instance().Icon(kIdrMainIcon);
    m_hBackground = ResourceRegistry::Instance().Image(kIdrBackground);
    m_dates = LocaleDateFormatter();
    m_chooseFolder = ChooseFolderWithDialog;
    BuildWindow();
    OnInitDialog();
}

RecoveryDialog::~RecoveryDialog() {
    g_bStopSearch = 1;
    g_bStopPreview = 1;
    m_bStopSave = 1;
    WaitForJob();
    m_job.reset();
    g_pWorkerThread = nullptr;
    DetachScanFeed();
    qApp->removeEventFilter(m_filter);
    if (g_pMainDialog == this) g_pMainDialog = nullptr;
}

void RecoveryDialog::BuildWindow() {
    const DialogTemplate& dialog = MainDialogTemplate();
    setWindowTitle(AnsiToQString(dialog.caption));
    setFont(TemplateFont(dialog));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_menuBar =
        BuildMenuBar(MainMenuTemplate(), this, [this](int command) { RunCommand(command); });
    layout->setMenuBar(m_menuBar);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(DialogUnitsToPixelsX(dialog.cx), DialogUnitsToPixelsY(dialog.cy));
    layout->addWidget(client);

    m_results = new ResultsModel(this);
    m_controls = BuildControls(dialog, client,
                               [this](const ControlTemplate& control, QWidget* parent) -> QWidget* {
                                   if (control.cls == ControlClass::ListView) {
                                       auto* view = new ResultsView(parent);
                                       view->setModel(m_results);
                                       return view;
                                   }
                                   if (control.id == kIdPreview) return new BrowserPane(parent);
                                   return nullptr;
                               });
    // The pane lies below everything and the step-1 picture over it, so that step 1 shows the
    // picture where step 2 shows the preview.
    Control(kIdPicture)->lower();
    Control(kIdPreview)->lower();

    AddRoutes();
    connect(ResultsList(), &ResultsView::Clicked, this,
            [this](QPoint point) { OnMessageListClick(point); });
    connect(ResultsList(), &ResultsView::DoubleClicked, this,
            [this](QPoint point) { OnMessageListClick(point); });

    m_feedTimer = new QTimer(this);
    m_feedTimer->setInterval(kFeedIntervalMs);
    connect(m_feedTimer, &QTimer::timeout, this, [this] { DrainScanFeed(); });

    m_filter = new MessageFilter(this);
    qApp->installEventFilter(m_filter);
}

void RecoveryDialog::OnInitDialog() {
    g_bJobBusy = 0;
    // Dressing point A: the menu skin.
    g_pMainDialog = this;
    BuildSystemMenu();
    setWindowIcon(m_hIcon);
    // Dressing point B: the toolbar and link buttons.
    SetHints({{kIdLiveUpdate, "Updates the software with latest changes from internet"},
              {kIdSettings, "Settings for repaired files name"},
              {kIdHiddenBrowse, "Select file for Recover"},
              {kIdHiddenNext, "Recover file"},
              {kIdSave, "Save file"},
              {kIdSelectAll, "Select all"},
              {kIdUnselectAll, "Unselect all"},
              {kIdHomePage, "Click here to visit software home page"}});
    m_nStep = 1;

    ResultsView* list = ResultsList();
    QHeaderView* header = list->horizontalHeader();
    for (int column = 0; column < ResultsModel::kLocation; ++column) {
        header->resizeSection(column, kColumnWidth);
    }
    // Present but not visible: it holds each message's offset for the preview and Save.
    header->resizeSection(ResultsModel::kLocation, 0);

    m_imgListIcons.clear();
    for (int id : {kIdrListIconMessage, kIdrListIconDeleted}) {
        const QImage large = ResourceRegistry::Instance().Image(id, QSize(48, 48));
        m_imgListIcons.push_back(
            large.isNull() ? QIcon()
                           : QIcon(QPixmap::fromImage(large.scaled(16, 16, Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation))));
    }
    m_results->SetRowIcon(m_imgListIcons.front());
    // Dressing point C: Next, Back and Stop.
    SetHints({{kIdNext, "Go to next step"},
              {kIdBack, "Go to privious step"},
              {kIdStop, "stop current process"}});
    g_bStopSearch = 0;
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Dressing point D: the splitter bar.
    Instruction()->SetWindowText(AnsiToQString(texts::kStepOne));
    m_strPrefix = texts::kPrefix;
    std::error_code error;
    m_strStartDir = std::filesystem::current_path(error).string();
    // Dressing point E: the menu icons.
    g_strPreviewPage = JoinPath(m_strStartDir, texts::kStartPage);
    if (auto* path = ControlAs<QLineEdit>(kIdPath)) path->setFocus();
}

// The buttons' pictures come with the dressing; their hints already tell what each one does.
void RecoveryDialog::SetHints(std::initializer_list<std::pair<int, const char*>> hints) {
    for (const auto& [id, hint] : hints) {
        if (QWidget* control = Control(id)) {
            control->setToolTip(QString::fromLatin1(hint));
            control->setAccessibleName(QString::fromLatin1(hint));
        }
    }
}

QWidget* RecoveryDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
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

void RecoveryDialog::AttachScanFeed(ScanFeed* feed) {
    m_feed = feed;
    m_feedTimer->start();
}

void RecoveryDialog::DetachScanFeed() {
    DrainScanFeed();
    m_feed = nullptr;
    if (m_feedTimer) m_feedTimer->stop();
}

void RecoveryDialog::DrainScanFeed() {
    if (!m_feed) return;
    ScanFeed::Update update = m_feed->Take();
    m_results->Prepend(update.messages);
    if (update.status) SetControlText(kIdStatusLine, *update.status);
    if (update.progress) {
        if (auto* bar = ControlAs<QProgressBar>(kIdProgress)) bar->setValue(*update.progress);
    }
}

void RecoveryDialog::StartJob(std::function<void()> body) {
    WaitForJob();
    m_job = std::make_unique<JobThread>(std::move(body));
    g_pWorkerThread = m_job.get();
}

void RecoveryDialog::WaitForJob() {
    if (m_job) m_job->Wait();
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
