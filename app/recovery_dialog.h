#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command_router.h"
#include "record_date.h"
#include "scan_feed.h"

class QMenu;
class QMenuBar;
class QProgressBar;
class QTimer;

namespace dbx {

class BrowserPane;
class JobThread;
class MessageFilter;
class ResultsModel;
class ResultsView;
class SavingDialog;
class StaticText;
struct SaveItem;
struct SaveReport;

// Ids of the main window's controls and commands.
enum MainControlId : int {
    kIdNext = 1000,
    kIdBrowse = 1001,
    kIdPath = 1002,
    kIdHiddenBrowse = 1003,
    kIdHiddenNext = 1004,
    kIdSettings = 1005,
    kIdLiveUpdate = 1006,
    kIdSave = 1007,
    kIdHomePage = 1008,
    kIdResults = 1009,
    kIdPreview = 1010,
    kIdBack = 1011,
    kIdStop = 1012,
    kIdSplitterPlace = 1013,
    kIdProgress = 1014,
    kIdInstruction = 1015,
    kIdSelectFrame = 1016,
    kIdPicture = 1020,
    kIdSelectAll = 1021,
    kIdUnselectAll = 1022,
    kIdStatusLine = 1027,
    kCmdBrowse = 32771,
    kCmdNext = 32772,
    kCmdExitHidden = 32773,
    kCmdSettings = 32774,
    kCmdLiveUpdate = 32775,
    kCmdHelp = 32776,
    kCmdAbout = 32777,
    kCmdExit = 32778,
    kCmdHomePage = 32779,
    kSysCmdAbout = 16,
};

// The main window: a two-step wizard (pick the store; search, preview and save), built from
// dialog template 102 with menu 130.
class RecoveryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit RecoveryDialog(QWidget* parent = nullptr);
    ~RecoveryDialog() override;

    // Controls by template id; null for an unknown id.
    QWidget* Control(int id) const;
    template <typename T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }
    ResultsView* ResultsList() const;
    ResultsModel* Results() const { return m_results; }
    BrowserPane* Pane() const;
    StaticText* Instruction() const;
    QMenuBar* MenuBar() const { return m_menuBar; }
    QMenu* SystemMenu() const { return m_systemMenu; }
    const CommandRouter& Router() const { return m_router; }
    const std::vector<QIcon>& ListIcons() const { return m_imgListIcons; }

    int Step() const { return m_nStep; }
    const std::string& Prefix() const { return m_strPrefix; }
    const std::string& StartDir() const { return m_strStartDir; }

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

    // Test seam: called on the scanning thread at the start of every window of the store.
    void SetScanWindowHook(ScanFeed::WindowHook hook) { m_scanWindowHook = std::move(hook); }

    // Asks where ticked mails are to be saved, starting in `startFolder`; "" when the user
    // declines. Paths are file-name bytes. A test puts its own in place of the folder dialog.
    using FolderChooser =
        std::function<std::string(QWidget* parent, const std::string& startFolder)>;
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // Test seam: called on the saving thread before the message of each index is written.
    using SaveItemHookFn = std::function<void(int index)>;
    void SetSaveItemHook(SaveItemHookFn hook) { m_saveItemHook = std::move(hook); }
    const SaveItemHookFn& SaveItemHook() const { return m_saveItemHook; }
    // The progress of a running save; null when none runs.
    SavingDialog* Saving() const { return m_saving.get(); }
    // Serves events until the latest job has ended.
    void WaitForJob();

    // For the jobs, on the user-interface thread.
    void SetControlVisible(int id, bool visible);
    void SetControlText(int id, const std::string& ansiText);
    void AttachScanFeed(ScanFeed* feed);
    void DetachScanFeed();
    const ScanFeed::WindowHook& ScanWindowHook() const { return m_scanWindowHook; }
    const DateFormatter& Dates() const { return m_dates; }
    bool SaveStopRequested() const { return m_bStopSave.load() != 0; }
    void ShowSavingMessage(const SaveItem& item);
    void SetSavingDone(int done);
    void FinishSave(const SaveReport& report);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    // Tooltips by control id.
    void SetHints(std::initializer_list<std::pair<int, const char*>> hints);
    void OnInitDialog();
    void BuildWindow();
    void AddRoutes();
    void BuildSystemMenu();
    void DrainScanFeed();
    void StartJob(std::function<void()> body);

    void ShowStepOne();
    void HideStepOne();
    void ShowStepTwo();
    void HideStepTwo();

    void OnSave();
    std::vector<SaveItem> TickedMessages() const;
    std::string SaveStartFolder() const;
    void OnBrowse();
    void OnSettings();
    void OnLiveUpdate();
    void OnAbout();
    void OnHomePage();
    void OnExit();
    // What is left to do when the process is about to end abruptly.
    void CleanUpBeforeEnd();

    std::map<int, QWidget*> m_controls;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_systemMenu = nullptr;
    ResultsModel* m_results = nullptr;
    MessageFilter* m_filter = nullptr;
    QTimer* m_feedTimer = nullptr;
    ScanFeed* m_feed = nullptr;
    ScanFeed::WindowHook m_scanWindowHook;
    FolderChooser m_chooseFolder;
    SaveItemHookFn m_saveItemHook;
    std::unique_ptr<SavingDialog> m_saving;
    std::atomic<int> m_bStopSave{0};
    std::unique_ptr<JobThread> m_job;
    CommandRouter m_router;
    DateFormatter m_dates;

    QIcon m_hIcon;
    QImage m_hBackground;
    int m_nStep = 0;
    std::vector<QIcon> m_imgListIcons;
    std::string m_strPrefix;
    std::string m_strStartDir;
    std::string m_strSaveDir;     // the folder of the last save, offered first by the next
    std::string m_strPreviewDir;  // the private folder the previews of this run used
};

}  // namespace dbx
