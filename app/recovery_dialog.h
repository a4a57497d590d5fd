#pragma once

#include <string>

#include "command_router.h"
#include "common/template_dialog.h"
#include "main_window_ids.h"
#include "session/window_session.h"
#include "wizard_window.h"

class QMenuBar;

namespace dbx {

class ListTools;
class MessageFilter;
class WindowCommands;
class WindowDressing;
class WindowLayout;
class WizardFlow;

// The main window: a two-step wizard (pick the store; search, preview and save), built from
// dialog template 102 with menu 130. It holds the template, routes every command id to its
// one handler and offers the parts what they share of it; the parts do the work: the wizard's
// flow (wizard/), the dressing (dressing/), the layout (layout/), the list's tools (list/) and
// the other commands (commands/).
class RecoveryDialog : public TemplateDialog, public WizardWindow {
    Q_OBJECT
  public:
    explicit RecoveryDialog(QWidget* parent = nullptr);
    ~RecoveryDialog() override;

    // Runs the handler of a command, button or menu item id.
    bool RunCommand(int id) { return m_router.Route(id); }
    // Whether `id` has a handler.
    bool Routes(int id) const { return m_router.Handles(id); }
    // A command of the window menu; 16 (with any low bits) is About.
    void OnSysCommand(int id);
    // The wizard's flow: the step, the jobs and whether one is busy.
    WizardFlow& Flow() const { return *m_flow; }

    // What the parts share.
    QWidget* Window() override { return this; }
    WindowSession& Session() override { return m_session; }
    int Step() const override;
    QWidget* Control(int id) const override { return TemplateDialog::Control(id); }
    void SetControlVisible(int id, bool visible) override;
    void SetControlText(int id, const std::string& ansiText) override;
    void SetProgress(int percent) override;
    ResultsModel* Results() const override { return m_results; }
    ResultsFilter* Shown() const override { return m_shown; }
    ResultsView* ResultsList() const override;
    BrowserPane* Pane() const override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    // The template's hidden OK and Cancel buttons end nothing.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    void BuildWindow();
    void AddRoutes();
    void OnInitDialog();

    WindowSession m_session;
    CommandRouter m_router;
    QMenuBar* m_menuBar = nullptr;
    ResultsModel* m_results = nullptr;
    ResultsFilter* m_shown = nullptr;
    WizardFlow* m_flow = nullptr;
    WindowLayout* m_layout = nullptr;
    WindowDressing* m_dressing = nullptr;
    ListTools* m_listTools = nullptr;
    WindowCommands* m_commands = nullptr;
    MessageFilter* m_filter = nullptr;
};

}  // namespace dbx
