#pragma once

#include <QIcon>
#include <QImage>

#include <string>
#include <vector>

#include "command_router.h"
#include "image_list.h"
#include "main_window_ids.h"
#include "template_dialog.h"
#include "wizard_window.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace dbx {

class FindBar;
class MessageFilter;
class MenuSkinStyle;
class PreviewController;
class SaveController;
class SavingDialog;
class ScanController;
class SplitterBar;
class StaticText;
struct SplitterNotification;

// The main window: a two-step wizard (pick the store; search, preview and save), built from
// dialog template 102 with menu 130. The search, the preview and the save each run in a
// workflow object of their own; a command that has to wait for one of them to end waits for
// its report, never in a loop of its own.
class RecoveryDialog : public TemplateDialog, public WizardWindow {
    Q_OBJECT
  public:
    explicit RecoveryDialog(QWidget* parent = nullptr);
    ~RecoveryDialog() override;

    ResultsView* ResultsList() const override;
    ResultsModel* Results() const override { return m_results; }
    ResultsFilter* Shown() const override { return m_shown; }
    FindBar* Finder() const { return m_findBar; }
    // The Tools menu's "Message source" item: the raw view instead of the decoded one.
    QAction* SourceToggle() const { return m_sourceAction; }
    BrowserPane* Pane() const override;
    StaticText* Instruction() const;
    QMenuBar* MenuBar() const { return m_menuBar; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    const CommandRouter& Router() const { return m_router; }
    const std::vector<QIcon>& ListIcons() const { return m_imgListIcons; }

    int Step() const override { return m_nStep; }
    const std::string& Prefix() const override { return m_strPrefix; }
    const std::string& StartDir() const override { return m_strStartDir; }

    // Runs the handler of a command, button or menu item id.
    bool RunCommand(int id) { return m_router.Route(id); }
    // A command of the window menu; 16 (with any low bits) is About.
    void OnSysCommand(int id);
    // Pops up the window menu at the top left corner of the window.
    void ShowSystemMenu();

    // Operations of the wizard, preview and help.
    void OnNext();
    void OnBack();
    void OnStop();
    void OnSelectAll();
    void OnUnselectAll();
    void OnMessageListClick(const QPoint& viewportPoint);
    void OnHelp();

    // The bar between the results list and the preview pane (shown in step 2).
    SplitterBar* Splitter() const { return m_wndSplitter; }
    // Icons of the menu commands, 16 x 16.
    const ImageList& MenuIcons() const { return m_imgMenuIcons; }

    // Where Browse opens: the folder of the path in the field, else the folder of the last
    // store chosen, else the home folder.
    QString BrowseStartFolder() const;

    // True from the start of a search, preview or save until the window has taken its end.
    bool JobRunning() const;
    // The progress of a running save; null when none runs.
    SavingDialog* Saving() const;

    // For the workflows.
    QWidget* Window() override { return this; }
    void SetControlVisible(int id, bool visible) override;
    void SetControlText(int id, const std::string& ansiText) override;
    void SetProgress(int percent) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    // The template's hidden OK and Cancel buttons end nothing.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    // The dressing: menu skin and menu icons, toolbar and link, Next/Back/Stop, splitter.
    void DressMenus();
    void AssignMenuIcons();
    void DressToolbar();
    void DressWizardButtons();
    void CreateSplitter();
    void OnSplitterMoved(const SplitterNotification& notification);
    // Lets the window grow: list and pane take the room, the bottom band follows the bottom.
    void MakeResizable();
    void LayOutForSize();
    void PaintBackground();
    void SizeDateColumn();
    void OnInitDialog();
    void BuildWindow();
    void AddRoutes();
    void BuildSystemMenu();
    // The list's tools: the find bar, sorting, the code page and the preview's view.
    void BuildListTools();
    void OnFind();
    void OnSortRequested(int column);
    void OnCodePage(const QByteArray& codePage);
    void OnMessageSource(bool source);
    void OnKeyboardPreview(int shownRow);
    void ShowFindCounts();
    // Once a search is over: how many it found, in the title.
    void ShowSearchSummary();
    // A workflow has ended: a Back that waited for it goes on.
    void OnJobEnded();
    void GoBack();

    void ShowStepOne();
    void HideStepOne();
    void ShowStepTwo();
    void HideStepTwo();

    void OnBrowse();
    void OnSettings();
    void OnLiveUpdate();
    void OnAbout();
    void OnHomePage();
    void OnExit();
    // What is left to do when the process is about to end abruptly.
    void CleanUpBeforeEnd();

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_systemMenu = nullptr;
    ResultsModel* m_results = nullptr;
    ResultsFilter* m_shown = nullptr;
    FindBar* m_findBar = nullptr;
    QAction* m_sourceAction = nullptr;
    QActionGroup* m_codePages = nullptr;
    QString m_strTitle;  // the caption, without what a search found
    MessageFilter* m_filter = nullptr;
    ScanController* m_scan = nullptr;
    PreviewController* m_preview = nullptr;
    SaveController* m_save = nullptr;
    CommandRouter m_router;
    bool m_bBackPending = false;  // Back pressed while a job was still ending

    QWidget* m_client = nullptr;
    MenuSkinStyle* m_menuStyle = nullptr;
    SplitterBar* m_wndSplitter = nullptr;
    ImageList m_imgMenuIcons;
    int m_nSplitterShift = 0;    // what the splitter's drags moved it in all
    std::string m_strBrowseDir;  // the folder of the last store chosen with Browse

    QIcon m_hIcon;
    QImage m_hBackground;
    int m_nStep = 0;
    std::vector<QIcon> m_imgListIcons;
    std::string m_strPrefix;
    std::string m_strStartDir;
};

}  // namespace dbx
