#include "dressing/window_dressing.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

#include "art_resources.h"
#include "common/template_dialog.h"
#include "image_button.h"
#include "link_button.h"
#include "list/results_model.h"
#include "main_window_ids.h"
#include "menu_skin.h"
#include "menu_skin_style.h"
#include "resource_registry.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr ColorRef kHoverTextColour = 0x008000;  // green
constexpr int kHoverBackShift = 30;

struct DressedButton {
    int id;
    int hover;   // picture while hovered or pressed
    int normal;  // picture otherwise
    const char* hint;
    const char* word;  // shown when the picture is missing
    const char* name;  // what a screen reader says
};

constexpr DressedButton kToolbar[] = {
    {kIdLiveUpdate, kIdrToolUpdateHover, kIdrToolUpdateNormal,
     "Updates the software with latest changes from internet", "Update", "Live Update"},
    {kIdSettings, kIdrToolSettingsHover, kIdrToolSettingsNormal, "Settings for repaired files name",
     "Settings", "Settings"},
    {kIdHiddenBrowse, kIdrToolOpenHover, kIdrToolOpenNormal, "Select file for Recover", "Open",
     "Open"},
    {kIdHiddenNext, kIdrToolRecoverHover, kIdrToolRecoverNormal, "Recover file", "Recover",
     "Recover"},
    {kIdSave, kIdrToolSaveHover, kIdrToolSaveNormal, "Save file", "Save", "Save"},
    {kIdSelectAll, kIdrToolAllHover, kIdrToolAllNormal, "Select all", "All", "Select all"},
    {kIdUnselectAll, kIdrToolNoneHover, kIdrToolNoneNormal, "Unselect all", "None", "Unselect all"},
};

constexpr DressedButton kWizardButtons[] = {
    {kIdNext, kIdrNextHover, kIdrNextNormal, "Go to next step", "Next", "Next"},
    {kIdBack, kIdrBackHover, kIdrBackNormal, "Go to privious step", "Back", "Back"},
    {kIdStop, kIdrStopHover, kIdrStopNormal, "stop current process", "Stop", "Stop"},
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

WindowDressing::WindowDressing(TemplateDialog& dialog, QMenuBar* menuBar)
    : QObject(&dialog), m_dialog(dialog), m_menuBar(menuBar) {
    m_hIcon = ResourceRegistry::Instance().Icon(kIdrMainIcon);
}

void WindowDressing::DressMenus(QMenu* systemMenu) {
    MarkSkinnedWindow(&m_dialog, true);
    m_menuStyle = new MenuSkinStyle;
    m_menuStyle->setParent(this);
    m_menuBar->setStyle(m_menuStyle);
    QList<QMenu*> popups = m_menuBar->findChildren<QMenu*>();
    popups << systemMenu;
    for (QMenu* popup : popups) {
        popup->setStyle(m_menuStyle);
        connect(popup, &QMenu::aboutToShow, this,
                [this, popup] { SkinMenu(&m_dialog, popup, IsSkinnedWindow(&m_dialog), false); });
        popup->installEventFilter(this);
    }
    ConvertMenuBar(&m_dialog);
    // F10 takes the keyboard to the menu bar, as Alt does.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &m_dialog);
    connect(f10, &QShortcut::activated, this, [this] {
        if (!m_menuBar->actions().isEmpty()) m_menuBar->setActiveAction(m_menuBar->actions()[0]);
    });
}

void WindowDressing::SetWindowIcon() {
    m_dialog.setWindowIcon(m_hIcon);
}

void WindowDressing::AssignMenuIcons() {
    const qreal ratio = m_dialog.devicePixelRatioF();
    for (int id : kMenuIconIds) m_imgMenuIcons.Add(Picture(id, QSize(48, 48), ratio));
    for (const auto& [command, index] : kCommandIcons) {
        AssignCommandImage(std::uint32_t(command), &m_imgMenuIcons, index);
    }
}

void WindowDressing::DressResults(ResultsModel* results) {
    std::vector<QIcon> icons;
    for (int id : {kIdrListIconMessage, kIdrListIconDeleted}) {
        const QImage large = ResourceRegistry::Instance().Image(id, QSize(48, 48));
        icons.push_back(large.isNull()
                            ? QIcon()
                            : QIcon(QPixmap::fromImage(large.scaled(16, 16, Qt::IgnoreAspectRatio,
                                                                    Qt::SmoothTransformation))));
    }
    results->SetRowIcon(icons.front());
}

void WindowDressing::DressToolbar() {
    const qreal ratio = m_dialog.devicePixelRatioF();
    for (const DressedButton& b : kToolbar) {
        auto* button = m_dialog.ControlAs<CImageButton>(b.id);
        if (!button) continue;
        button->UseParentBackground(false);
        const int result =
            button->AssignBitmaps(Picture(b.hover, {40, 40}, ratio), kHoverBitmapKey,
                                  Picture(b.normal, {40, 40}, ratio), kNormalBitmapKey);
        if (result != CImageButton::kOk || !button->HasImage()) {
            button->setText(QString::fromLatin1(b.word));
        }
        button->SetHint(QString::fromLatin1(b.hint), true);
        button->setAccessibleName(QString::fromLatin1(b.name));
        button->setAccessibleDescription(QString::fromLatin1(b.hint));
    }
    if (auto* link = m_dialog.ControlAs<CLinkButton>(kIdHomePage)) {
        link->SetFaceBitmap(kIdrHomeLink);
        link->UseHandCursor(QString::fromLatin1(kHomeLinkText));
        link->SetHint(QString::fromLatin1(kHomeLinkText), true);
        link->setAccessibleName(QStringLiteral("Visit software home page"));
    }
}

void WindowDressing::DressWizardButtons() {
    for (const DressedButton& b : kWizardButtons) {
        auto* button = m_dialog.ControlAs<CImageButton>(b.id);
        if (!button) continue;
        if (button->AssignIcons(b.hover, 0, 0, b.normal, 0, 0) != CImageButton::kOk) {
            button->setText(QString::fromLatin1(b.word));
        }
        button->ShiftStateColour(CImageButton::kHoverBack, kHoverBackShift, true);
        button->SetStateColour(CImageButton::kHoverText, kHoverTextColour, true);
        button->SetImagePlacement(CImageButton::kImageRight, true);
        button->SetHint(QString::fromLatin1(b.hint), true);
        button->setAccessibleName(QString::fromLatin1(b.name));
        button->setAccessibleDescription(QString::fromLatin1(b.hint));
    }
}

bool WindowDressing::eventFilter(QObject* watched, QEvent* event) {
    auto* popup = qobject_cast<QMenu*>(watched);
    if (!popup || event->type() != QEvent::KeyPress || !MenuIsSkinned(popup)) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.size() != 1 || !text[0].isLetterOrNumber() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        return false;
    }
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

}  // namespace dbx
