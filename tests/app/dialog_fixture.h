#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/process_end.h"
#include "common/workflow_seam.h"
#include "markup_message_box.h"
#include "recovery_dialog.h"
#include "shell.h"
#include "test_support.h"

namespace dbx::test {

// The bytes of a file; "" when it cannot be read.
std::string ReadAll(const std::string& path);
// The names of the .eml files in `folder`, sorted.
std::vector<std::string> EmlFiles(const std::string& folder);

// The text a message box draws for `markup`, read the way the box reads it: line breaks as
// "\n", every other tag dropped. Fails the test when a tag the box knows (other than a
// line break) is found, since such a tag would change the look or hide text.
std::string DisplayedText(const std::string& markup);

// Serves events until `done` holds or a minute has passed, then once more, so that what a
// job reported before `done` came true has reached the window; false on timeout.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000);

// One message of a test store.
struct StoreMessage {
    std::string from;
    std::string to;
    std::string subject;
    std::string body;
    bool deleted = false;
    std::int64_t when = 1262307600;  // seconds since 1970
};

// Writes a store holding `messages` with their records in this order from the first segment
// on, so that a scan finds them in this order; `size` pads the store to that many bytes.
void WriteStore(const std::string& path, const std::vector<StoreMessage>& messages,
                std::size_t size = 0);

// Holds a job at one point until released (at the latest when the gate goes).
class Gate {
  public:
    ~Gate() { released = true; }
    // Called by the job: waits at `at` until released.
    void Pass(std::uint64_t point, std::uint64_t at);
    std::atomic<bool> reached{false};
    std::atomic<bool> released{false};
};

// Holds the search at the start of the window at `offset`.
struct ScanGate : Gate {
    std::uint64_t offset;
    explicit ScanGate(std::uint64_t at) : offset(at) {}
    std::function<void(std::uint64_t)> Hook() {
        return [this](std::uint64_t window) { Pass(window, offset); };
    }
};

// Holds a save before the message of `index` is written.
struct SaveGate : Gate {
    int index;
    explicit SaveGate(int at) : index(at) {}
    std::function<void(int)> Hook() {
        return [this](int item) { Pass(std::uint64_t(item), std::uint64_t(index)); };
    }
};

// A desktop shell that only records what it was asked to do.
struct RecordingShell : Shell {
    struct Started {
        QString program;
        QStringList arguments;
    };
    std::vector<QString>* opened;
    std::vector<Started>* started;
    RecordingShell(std::vector<QString>* o, std::vector<Started>* s) : opened(o), started(s) {}
    bool Open(const QString& target) override {
        opened->push_back(target);
        return true;
    }
    bool Start(const QString& program, const QStringList& arguments, const QString&) override {
        started->push_back({program, arguments});
        return true;
    }
};

// The main window in a working directory of its own (holding sample.htm), shown offscreen,
// with message boxes answered by the test seam, the desktop shell recording and the end of
// the process only recorded.
class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void SetPath(const std::string& path);
    void Click(int controlId);
    // Puts a store of `messages` in the path field, presses Next and waits for the search.
    void Scan(const std::vector<StoreMessage>& messages);
    // Left click in the middle of a cell of the results list.
    void ClickCell(int row, int column);
    QPoint CellCentre(int row, int column) const;
    bool Visible(int controlId) const;
    // Serves events until no job runs and the window has taken the last one's end.
    void WaitForJobs();
    std::string TempFolder() const;
    // Tools > Message source: the raw view instead of the decoded one.
    QAction* MessageSourceAction() const;

    TempDir dir;     // working directory
    TempDir stores;  // stores the tests write
    std::string store;
    MessageBoxTestSeam boxes;
    WorkflowTestSeam seams;  // holds jobs, answers Save's folder question
    ProcessEndTestSeam ends;
    std::vector<QString> opened;                   // what the shell was asked to open
    std::vector<RecordingShell::Started> started;  // and to start
    std::unique_ptr<RecoveryDialog> dialog;

  private:
    std::filesystem::path previousDir_;
    std::unique_ptr<Shell> previousShell_;
};

}  // namespace dbx::test
