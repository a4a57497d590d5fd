// The window's dressing: the menu skin and menu icons, the toolbar and link pictures, the
// Next/Back/Stop icons, and the splitter bar between the results list and the preview pane.
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

#include "ansi_codepage.h"
#include "art_resources.h"
#include "globals.h"
#include "image_button.h"
#include "link_button.h"
#include "menu_skin.h"
#include "menu_skin_style.h"
#include "recovery_dialog.h"
#include "resource_registry.h"
#include "splitter_bar.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr ColorRef kHoverTextColour = 0x008000;  // green
constexpr int kHoverBackShift = 30;
constexpr int kSplitterUp = 150;
constexpr int kSplitterDown = 70;

struct DressedButton {
    int id;
    int hover;   // picture while hovered or pressed
    int normal;  // picture otherwise
    const char* hint;
    const char* word;  // shown when the picture is missing
};

constexpr DressedButton kToolbar[] = {
    {kIdLiveUpdate, kIdrToolUpdateHover, kIdrToolUpdateNormal,
     "Updates the software with latest changes from internet", "Update"},
    {kIdSettings, kIdrToolSettingsHover, kIdrToolSettingsNormal, "Settings for repaired files name",
     "Settings"},
    {kIdHiddenBrowse, kIdrToolOpenHover, kIdrToolOpenNormal, "Select file for Recover", "Open"},
    {kIdHiddenNext, kIdrToolRecoverHover, kIdrToolRecoverNormal, "Recover file", "Recover"},
    {kIdSave, kIdrToolSaveHover, kIdrToolSaveNormal, "Save file", "Save"},
    {kIdSelectAll, kIdrToolAllHover, kIdrToolAllNormal, "Select all", "All"},
    {kIdUnselectAll, kIdrToolNoneHover, kIdrToolNoneNormal, "Unselect all", "None"},
};

constexpr DressedButton kWizardButtons[] = {
    {kIdNext, kIdrNextHover, kIdrNextNormal, "Go to next step", "Next"},
    {kIdBack, kIdrBackHover, kIdrBackNormal, "Go to privious step", "Back"},
    {kIdStop, kIdrStopHover, kIdrStopNormal, "stop current process", "Stop"},
};

constexpr char kHomeLinkText[] = "Click here to visit software home page";

// Menu icons in list order, and which command shows which of them.
constexpr int kMenuIconIds[] = {kIdrMenuOpen, kIdrMenuOpen, kIdrMenuAbout, kIdrMenuExit,
                                kIdrMenuHelp, kIdrMenuWeb,  kIdrMenuNext,  kIdrMenuSettings};
constexpr std::pair<int, int> kCommandIcons[] = {
    {kCmdBrowse, 1}, {kCmdAbout, 2},    {kCmdExitHidden, 3}, {kCmdHelp, 4},     {kCmdLiveUpdate, 5},
    {kCmdNext, 6},   {kCmdSettings, 7}, {kCmdExit, 3},       {kCmdHomePage, 5},
};

// A picture of the resources drawn for the screen's pixel density, `size` in device-independent
// pixels.
QImage Picture(int id, QSize size, qreal ratio) {
    QImage image = ResourceRegistry::Instance().Image(id, (QSizeF(size) * ratio).toSize());
    if (!image.isNull()) image.setDevicePixelRatio(ratio);
    return image;
}

}  // namespace

void RecoveryDialog::DressMenus() {
    MarkSkinnedWindow(this, true);
    m_menuStyle = new MenuSkinStyle;
    m_menuStyle->setParent(this);
    m_menuBar->setStyle(m_menuStyle);
    QList<QMenu*> popups = m_menuBar->findChildren<QMenu*>();
    popups << m_systemMenu;
    for (QMenu* popup : popups) {
        popup->setStyle(m_menuStyle);
        connect(popup, &QMenu::aboutToShow, this,
                [this, popup] { SkinMenu(this, popup, IsSkinnedWindow(this), false); });
        popup->installEventFilter(this);
    }
    ConvertMenuBar(this);
    g_nSplitterOffset = 0;
    // F10 takes the keyboard to the menu bar, as Alt does.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        if (!m_menuBar->actions().isEmpty()) m_menuBar->setActiveAction(m_menuBar->actions()[0]);
    });
}

void RecoveryDialog::AssignMenuIcons() {
    const qreal ratio = devicePixelRatioF();
    for (int id : kMenuIconIds) m_imgMenuIcons.Add(Picture(id, QSize(48, 48), ratio));
    for (const auto& [command, index] : kCommandIcons) {
        AssignCommandImage(std::uint32_t(command), &m_imgMenuIcons, index);
    }
}

void RecoveryDialog::DressToolbar() {
    const qreal ratio = devicePixelRatioF();
    for (const DressedButton& b : kToolbar) {
        auto* button = ControlAs<CImageButton>(b.id);
        if (!button) continue;
        button->UseParentBackground(false);
        const int result =
            button->AssignBitmaps(Picture(b.hover, {40, 40}, ratio), kHoverBitmapKey,
                                  Picture(b.normal, {40, 40}, ratio), kNormalBitmapKey);
        if (result != CImageButton::kOk || !button->HasImage()) {
            button->setText(QString::fromLatin1(b.word));
        }
        button->SetHint(QString::fromLatin1(b.hint), true);
    }
    if (auto* link = ControlAs<CLinkButton>(kIdHomePage)) {
        link->SetFaceBitmap(kIdrHomeLink);
        link->UseHandCursor(QString::fromLatin1(kHomeLinkText));
        link->SetHint(QString::fromLatin1(kHomeLinkText), true);
    }
}

void RecoveryDialog::DressWizardButtons() {
    for (const DressedButton& b : kWizardButtons) {
        auto* button = ControlAs<CImageButton>(b.id);
        if (!button) continue;
        if (button->AssignIcons(b.hover, 0, 0, b.normal, 0, 0) != CImageButton::kOk) {
            button->setText(QString::fromLatin1(b.word));
        }
        button->ShiftStateColour(CImageButton::kHoverBack, kHoverBackShift, true);
        button->SetStateColour(CImageButton::kHoverText, kHoverTextColour, true);
        button->SetImagePlacement(CImageButton::kImageRight, true);
        button->SetHint(QString::fromLatin1(b.hint), true);
    }
}

void RecoveryDialog::CreateSplitter() {
    const QRect place = Control(kIdSplitterPlace)->geometry();
    m_wndSplitter = new SplitterBar;
    m_wndSplitter->setObjectName(QStringLiteral("splitter"));
    m_wndSplitter->CreateBar(true,
                             {place.left(), place.top(), place.right() + 1, place.bottom() + 1},
                             m_client, kIdSplitterPlace);
    m_wndSplitter->SetTravel(kSplitterUp, kSplitterDown, -1);
    m_wndSplitter->hide();
    connect(m_wndSplitter, &SplitterBar::Moved, this,
            [this](const SplitterNotification& n) { OnSplitterMoved(n); });
}

void RecoveryDialog::OnSplitterMoved(const SplitterNotification& notification) {
    if (notification.id != kIdSplitterPlace) return;
    const int d = notification.displacement;
    if (QWidget* list = Control(kIdResults)) {
        QRect r = list->geometry();
        r.setBottom(r.bottom() + d);
        list->setGeometry(r);
    }
    if (QWidget* pane = Control(kIdPreview)) {
        QRect r = pane->geometry();
        r.setTop(r.top() + d);
        pane->setGeometry(r);
    }
    g_nSplitterOffset = d;
    m_nSplitterShift += d;
    update();
    m_client->update();
}

bool RecoveryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client) {
        if (event->type() == QEvent::Paint && !m_hBackground.isNull()) PaintBackground();
        if (event->type() == QEvent::Resize) LayOutForSize();
        return false;
    }
    // A letter in a skinned popup runs the item whose mnemonic it is.
    auto* popup = qobject_cast<QMenu*>(watched);
    if (popup && event->type() == QEvent::KeyPress && MenuIsSkinned(popup)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isLetterOrNumber() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
            const std::uint32_t code = FindMnemonicItem(popup, text[0], kMenuFlagPopup);
            const QList<QAction*> items = popup->actions();
            const int position = int(code & 0xFFFF);
            if ((code >> 16) == 2 && position < items.size() && items[position]->isEnabled()) {
                QAction* item = items[position];
                popup->hide();
                if (m_menuBar) m_menuBar->setActiveAction(nullptr);
                // Run after the menu has closed, not inside its key handling.
                QTimer::singleShot(0, item, &QAction::trigger);
            }
            return true;
        }
    }
    return TemplateDialog::eventFilter(watched, event);
}

}  // namespace dbx
