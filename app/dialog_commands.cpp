// Command routing and the window menu of the main window.
#include <QAbstractButton>
#include <QMenu>

#include "ansi_codepage.h"
#include "recovery_dialog.h"
#include "resource_registry.h"
#include "save_controller.h"
#include "templates.h"

namespace dbx {

void RecoveryDialog::AddRoutes() {
    m_router.Add({kIdNext, kIdHiddenNext, kCmdNext}, [this] { OnNext(); });
    m_router.Add({kIdBack}, [this] { OnBack(); });
    m_router.Add({kIdStop}, [this] { OnStop(); });
    m_router.Add({kIdSelectAll}, [this] { OnSelectAll(); });
    m_router.Add({kIdUnselectAll}, [this] { OnUnselectAll(); });
    m_router.Add({kIdSave}, [this] { m_save->OnSave(); });
    m_router.Add({kIdBrowse, kIdHiddenBrowse, kCmdBrowse}, [this] { OnBrowse(); });
    m_router.Add({kIdSettings, kCmdSettings}, [this] { OnSettings(); });
    m_router.Add({kIdLiveUpdate, kCmdLiveUpdate}, [this] { OnLiveUpdate(); });
    m_router.Add({kCmdHelp}, [this] { OnHelp(); });
    m_router.Add({kCmdAbout}, [this] { OnAbout(); });
    m_router.Add({kIdHomePage, kCmdHomePage}, [this] { OnHomePage(); });
    m_router.Add({kCmdExitHidden, kCmdExit}, [this] { OnExit(); });

    for (const auto& [id, widget] : Controls()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && m_router.Handles(id)) {
            connect(button, &QAbstractButton::clicked, this, [this, id = id] { RunCommand(id); });
        }
    }
}

void RecoveryDialog::BuildSystemMenu() {
    // Window managers keep the title bar's menu to themselves, so the window has its own,
    // opened with Alt+Space.
    m_systemMenu = new QMenu(this);
    m_systemMenu->setObjectName(QStringLiteral("systemMenu"));
    QAction* close = m_systemMenu->addAction(QStringLiteral("&Close"));
    connect(close, &QAction::triggered, this, [this] { this->close(); });
    const std::string about =
        ResourceRegistry::Instance().String(kIdsAboutItem).value_or(std::string());
    if (!about.empty()) {
        m_systemMenu->addSeparator();
        QAction* item = m_systemMenu->addAction(AnsiToQString(about));
        item->setProperty("commandId", int(kSysCmdAbout));
        connect(item, &QAction::triggered, this, [this] { OnSysCommand(kSysCmdAbout); });
    }
}

void RecoveryDialog::ShowSystemMenu() {
    m_systemMenu->popup(mapToGlobal(QPoint(0, 0)));
}

void RecoveryDialog::OnSysCommand(int id) {
    if ((id & ~0xF) == kSysCmdAbout) OnAbout();
}

}  // namespace dbx
