#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/job.h"
#include "save/save_request.h"

namespace dbx {

class SavingDialog;
class WizardWindow;

// Save: the ticked rows written as .eml files into a folder the user chooses. The writing
// runs on a thread of its own and reports each message and its end to the user-interface
// thread, where the saving dialog shows them and the closing message is given.
class SaveController : public QObject {
    Q_OBJECT
  public:
    // `searchRunning` tells whether a search runs, when nothing may be saved.
    SaveController(WizardWindow& window, std::function<bool()> searchRunning,
                   QObject* parent = nullptr);
    ~SaveController() override;

    void OnSave();
    // From the start of a save until its closing message has been given.
    bool Running() const { return job_.Running(); }
    // Asks a running save to end after the message being written.
    void RequestStop() { job_.RequestStop(); }
    bool WaitForReturn(std::chrono::milliseconds bound) { return job_.WaitForReturn(bound); }

  signals:
    void Ended();

  private:
    class Reporter;
    std::vector<SaveItem> TickedMessages() const;
    std::string StartFolder() const;
    std::string ChooseFolder();
    void ShowItem(int index);
    void Finish(const SaveReport& report);

    WizardWindow& window_;
    std::unique_ptr<Reporter> reporter_;
    std::unique_ptr<SavingDialog> saving_;
    std::function<bool()> searchRunning_;
    std::vector<SaveItem> items_;  // of the running save
    std::string lastFolder_;       // the folder of the last save, offered first by the next
    Job<SaveReport> job_;
};

}  // namespace dbx
