#pragma once

class QAction;
class QMenuBar;

namespace dbx {

struct WindowSession;

// Puts the "Deep search" check item into the Tools menu of `bar`, above "Exit". It shows and
// sets the session's choice, which the next search reads; the choice is kept for the windows
// made later. Null when the bar has no Tools menu.
QAction* AddDeepSearchItem(QMenuBar* bar, WindowSession& session);

}  // namespace dbx
