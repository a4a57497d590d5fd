#pragma once

#include <functional>

#include "common/test_seam.h"

class QDialog;

namespace dbx {

// Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected), unless a
// ModalTestSeam is in force.
int RunModal(QDialog& dialog);

// Test seam: while an object of this class exists, RunModal hands each dialog to `driver`
// instead of entering a modal loop, and returns what the driver returns. The driver gets the
// real dialog, shown, and works it as a user would.
class ModalTestSeam : public TestSeam<ModalTestSeam> {
  public:
    using Driver = std::function<int(QDialog&)>;
    explicit ModalTestSeam(Driver driver) : driver_(std::move(driver)) {}

    int Runs() const { return runs_; }
    int Run(QDialog& dialog);

  private:
    Driver driver_;
    int runs_ = 0;
};

}  // namespace dbx
