#include "deep_search_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "deep_scan.h"
#include "main_window_ids.h"

namespace dbx {

QAction* AddDeepSearchItem(QMenuBar* bar) {
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
    deep->setChecked(g_bDeepSearch.load() != 0);
    QObject::connect(deep, &QAction::toggled, deep, [](bool on) { g_bDeepSearch = on ? 1 : 0; });
    tools->insertAction(exit, deep);
    return deep;
}

}  // namespace dbx
