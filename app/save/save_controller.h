#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "job_runner.h"
#include "save_request.h"

namespace dbx {

class SavingDialog;
class WizardWindow;

// Save: the ticked rows written as .eml files into a folder the user chooses. The writing
// runs on a thread of its own and reports each message and its end to the user-interface
// thread, where the saving dialog shows them and the closing message is given.
class SaveController : public QObject {
    Q_OBJECT
  public:
    explicit SaveController(WizardWindow& window, QObject* parent = nullptr);
    // A save still running is asked to stop and waited for: it never waits for this thread.
    ~SaveController() override;

    void OnSave();
    // From the start of a save until its closing message has been given.
    bool Running() const { return running_; }
    // Asks a running save to end after the message being written.
    void RequestStop() { stop_ = 1; }
    // The progress of a running save; null when none runs.
    SavingDialog* Saving() const { return saving_.get(); }

  signals:
    void Ended();

  private:
    class Reporter;
    std::vector<SaveItem> TickedMessages() const;
    std::string StartFolder() const;
    std::string ChooseFolder();
    void ShowItem(int index);
    void Finish();

    WizardWindow& window_;
    std::unique_ptr<Reporter> reporter_;
    std::unique_ptr<SavingDialog> saving_;
    std::vector<SaveItem> items_;  // of the running save
    std::atomic<int> stop_{0};
    SaveReport report_;  // written by the job, read once it has ended
    JobRunner runner_;
    std::string lastFolder_;  // the folder of the last save, offered first by the next
    bool running_ = false;
};

}  // namespace dbx
