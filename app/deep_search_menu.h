#pragma once

class QAction;
class QMenuBar;

namespace dbx {

// Puts the "Deep search" check item into the Tools menu of `bar`, above "Exit". It shows and
// sets g_bDeepSearch, which the next search reads. Null when the bar has no Tools menu.
QAction* AddDeepSearchItem(QMenuBar* bar);

}  // namespace dbx
