#include "commands/deep_search_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "main_window_ids.h"
#include "session/window_session.h"

namespace dbx {
namespace {

// Off until the user ticks it, then kept until the program ends: a window made later starts
// with the choice as it was left.
bool g_bDeepSearchChosen = false;

}  // namespace

QAction* AddDeepSearchItem(QMenuBar* bar, WindowSession& session) {
    if (!bar) return nullptr;
    QMenu* tools = nullptr;
    for (QAction* popup : bar->actions()) {
        if (popup->menu() && popup->text() == QLatin1String("Tools")) tools = popup->menu();
    }
    if (!tools) return nullptr;
    QAction* exit = nullptr;
    for (QAction* item : tools->actions()) {
        if (item->property("commandId").toInt() == kCmdExit) exit = item;
    }
    auto* deep = new QAction(QStringLiteral("Deep search"), tools);
    deep->setObjectName(QStringLiteral("deepSearch"));
    deep->setCheckable(true);
    session.deepSearch = g_bDeepSearchChosen;
    deep->setChecked(session.deepSearch);
    QObject::connect(deep, &QAction::toggled, deep, [&session](bool on) {
        session.deepSearch = on;
        g_bDeepSearchChosen = on;
    });
    tools->insertAction(exit, deep);
    return deep;
}

}  // namespace dbx
