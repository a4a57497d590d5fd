#pragma once

#include <QObject>
#include <QString>

class QMenu;

namespace dbx {

class WizardFlow;
class WizardWindow;

// The window's commands that are not the wizard's: Browse, Settings, Help, About, the home
// page, Live Update and Exit, and the window menu that offers About. They read and change the
// window's session.
class WindowCommands : public QObject {
    Q_OBJECT
  public:
    WindowCommands(WizardWindow& window, WizardFlow& flow);

    // The window menu, opened with Alt+Space: Close and About.
    QMenu* BuildSystemMenu();
    void ShowSystemMenu();

    void OnBrowse();
    void OnSettings();
    void OnHelp();
    void OnAbout();
    void OnHomePage();
    void OnLiveUpdate();
    void OnExit();

  private:
    // Where Browse opens: the folder of the path in the field, else the folder of the last
    // store chosen, else the home folder.
    QString BrowseStartFolder() const;
    // What is left to do when the process is about to end abruptly. `jobsOver`: no job can
    // still write into the preview folder.
    void CleanUpBeforeEnd(bool jobsOver);

    WizardWindow& m_window;
    WizardFlow& m_flow;
    QMenu* m_systemMenu = nullptr;
};

}  // namespace dbx
