#pragma once

#include <QObject>
#include <QPoint>

#include <chrono>

namespace dbx {

class PreviewController;
class SaveController;
class ScanController;
class WizardWindow;

// The wizard's flow: the step, Next, Back and Stop, Select all and Unselect all, and what the
// end of a job does to the window. It owns the search, the preview and the save, and is the
// one answer to whether a job is busy.
class WizardFlow : public QObject {
    Q_OBJECT
  public:
    WizardFlow(WizardWindow& window, QObject* parent = nullptr);
    ~WizardFlow() override;

    // Step 1 (the store's choice) as the window starts with it.
    void Begin();
    int Step() const { return m_nStep; }
    // True from the start of a search, preview or save until the window has taken its end.
    bool Busy() const;
    bool SearchRunning() const;

    void OnNext();
    // In step 2 once every job has ended: searches the same store again, with the choices
    // (Deep search) as they are now.
    void SearchAgain();
    void OnBack();
    void OnStop();
    void OnSelectAll();
    void OnUnselectAll();
    void OnSave();
    // A click (or double click) in the results list: the preview of its row.
    void OnListClick(const QPoint& viewportPoint);
    // A shown row chosen from the keyboard: its preview, unless a search or a save runs.
    void OnRowChosen(int shownRow);
    // Asks every job (search, preview, save) to stop.
    void StopJobs();
    // Before the process ends, once the jobs were asked to stop: waits at most `bound` for
    // them to return; true when none is left running. Serves no event meanwhile.
    bool WaitForJobsToReturn(std::chrono::milliseconds bound);

    ScanController& Scan() const { return *m_scan; }
    PreviewController& Preview() const { return *m_preview; }
    SaveController& Save() const { return *m_save; }

  signals:
    // A step has been shown: 1 after Back, 2 after Next.
    void StepShown(int step);
    // A search, preview or save has ended and the window has taken its end.
    void JobEnded();

  private:
    void ShowStepOne();
    void HideStepOne();
    void ShowStepTwo();
    void HideStepTwo();
    // Before a search: no rows, no stores, the order found.
    void ClearResults();
    // A job has ended: a Back that waited for it goes on.
    void OnJobEnded();
    void GoBack();

    WizardWindow& m_window;
    ScanController* m_scan = nullptr;
    PreviewController* m_preview = nullptr;
    SaveController* m_save = nullptr;
    int m_nStep = 0;
    bool m_bBackPending = false;  // Back pressed while a job was still ending
};

}  // namespace dbx
