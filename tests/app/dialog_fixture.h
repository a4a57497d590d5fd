#pragma once

#include <gtest/gtest.h>

#include <QPoint>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "markup_message_box.h"
#include "recovery_dialog.h"
#include "test_support.h"

namespace dbx::test {

// Serves events until `done` holds or a minute has passed; false on timeout.
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

// The main window in a working directory of its own (holding sample.htm), shown offscreen,
// with message boxes answered by the test seam.
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
    std::string TempFolder() const;

    TempDir dir;     // working directory
    TempDir stores;  // stores the tests write
    std::string store;
    MessageBoxTestSeam boxes;
    std::unique_ptr<RecoveryDialog> dialog;

  private:
    std::filesystem::path previousDir_;
};

}  // namespace dbx::test
